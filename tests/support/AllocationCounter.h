// The number of blocks the program holds from operator new right now: the test
// program replaces the global operator new and delete to count them. A round trip
// that frees what it allocated leaves the count where it was.
#pragma once

long LiveAllocations();
