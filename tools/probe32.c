/* Tells whether this machine runs 32-bit x86 code in a 64-bit process, as Wine's WoW64
   needs: the 32-bit code segment (a far jump there and back) and the 32-bit system call
   gate (int 0x80). Each is tried in a child, so a fault ends the child only. Prints one
   line; exit 0 when both work, 1 when either does not. */
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

unsigned long probe_saved_rsp;
unsigned char probe_low_stack[4096] __attribute__((aligned(16)));

static void far_jump(void) {
    /* In compatibility mode the stack pointer is 32 bits wide: a stack below 4 GB, which
       a non-PIE program's data is. */
    __asm__ volatile("mov %%rsp, probe_saved_rsp(%%rip)\n\t"
                     "lea probe_low_stack+4096(%%rip), %%rsp\n\t"
                     "pushq $0x23\n\t"
                     "lea 1f(%%rip), %%rax\n\t"
                     "pushq %%rax\n\t"
                     "lretq\n"
                     "1:\n\t.code32\n\t"
                     "ljmp $0x33, $2f\n"
                     "2:\n\t.code64\n\t"
                     "mov probe_saved_rsp(%%rip), %%rsp\n\t"
                     ::: "rax", "memory");
}

static void syscall_gate(void) {
    long pid = 20; /* getpid in the 32-bit system call table */
    __asm__ volatile("int $0x80" : "+a"(pid)::"memory");
    if (pid != getpid()) _exit(3);
}

static const char* try_child(void (*step)(void)) {
    static char why[64];
    pid_t child = fork();
    if (child == 0) {
        step();
        _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return "could not start a child";
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return NULL;
    if (WIFSIGNALED(status))
        snprintf(why, sizeof why, "ends in %s", strsignal(WTERMSIG(status)));
    else
        snprintf(why, sizeof why, "returns a wrong answer");
    return why;
}

int main(void) {
    const char* jump = try_child(far_jump);
    const char* gate = try_child(syscall_gate);
    if (!jump && !gate) {
        printf("this machine runs 32-bit code (32-bit code segment and int 0x80 both work)\n");
        return 0;
    }
    printf("this machine cannot run 32-bit code (");
    if (jump) printf("a far jump to the 32-bit code segment %s%s", jump, gate ? "; " : "");
    if (gate) printf("the 32-bit system call gate int 0x80 %s", gate);
    printf(")\n");
    return 1;
}
