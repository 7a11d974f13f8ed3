// The value walk and the subkey walk every check is built on: fixed 2048-byte
// buffers, a failing entry passed over, REG_SZ as stored, REG_EXPAND_SZ expanded.
// Names and texts come as code page 936; an entry without an exact form there is
// passed over, since the A functions the fix and the backup use cannot reach it.
#pragma once

#include "checks/Place.h"
#include "engine/GbkText.h"
#include "engine/ProblemItem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

constexpr size_t kRegTextSize = 2048;

// What an entry's text names. REG_EXPAND_SZ naming the program folders reads one way
// for 64-bit programs and another for 32-bit ones; an entry is stale only when what it
// names is gone for both.
struct EntryText {
    const char* text = nullptr;   // the native reading; null for a name-only walk
    const char* text32 = nullptr; // the 32-bit reading, where it differs
    template <typename Gone> bool GoneForAll(Gone gone) const {
        return gone(text) && (!text32 || gone(text32));
    }
};

// A borrowed callable taking (view, name, text); nothing is copied or allocated. It
// must outlive the walk it is handed to (a lambda written in the call does).
class EntryVisitor {
public:
    template <typename F,
              typename = std::enable_if_t<!std::is_same<std::decay_t<F>, EntryVisitor>::value>>
    EntryVisitor(F&& f)
        : m_object(const_cast<void*>(static_cast<const void*>(&f))),
          m_call([](void* object, const KeyView& view, const char* name, const EntryText& text) {
              (*static_cast<std::remove_reference_t<F>*>(object))(view, name, text);
          }) {}
    void operator()(const KeyView& view, const char* name, const EntryText& text) const {
        m_call(m_object, view, name, text);
    }

private:
    void* m_object;
    void (*m_call)(void*, const KeyView&, const char*, const EntryText&);
};

// The copies of a place's key that exist, the native one first; a key both views
// share is walked once.
std::vector<KeyView> KeyViews(const Place& place);

enum class ValueRead {
    NameOnly,  // every value whose name and stored text are exact; text is null
    Text,      // REG_SZ as stored and REG_EXPAND_SZ expanded, for both readings
    StoredText // REG_SZ only
};

// Visits (view, value name, text) of each value of a place's key, in each view, that
// passes the read mode.
void WalkValues(const Place& place, ValueRead mode, EntryVisitor visit);
// A key of one's own, walked as a place read in both views.
inline void WalkValues(uint32_t root, const char* path, ValueRead mode, EntryVisitor visit) {
    WalkValues({root, path, kKindValue, Views::NativeAnd32Bit, Location::Path}, mode, visit);
}

struct SubkeyWalk {
    // Null: the value is read from each subkey itself. Otherwise the name of the key
    // below each subkey it is read from.
    const wchar_t* below;
    // The one value read; null for the default value.
    const wchar_t* valueName;
    // Tested before each subkey when given; the walk ends once it is set.
    const ScanStatus* stopWatch;
};

// Visits (view, subkey name, text) of each subkey of a place's key, in each view,
// whose value is REG_SZ or REG_EXPAND_SZ.
void WalkSubkeys(const Place& place, const SubkeyWalk& walk, EntryVisitor visit);
inline void WalkSubkeys(uint32_t root, const char* path, const SubkeyWalk& walk,
                        EntryVisitor visit) {
    WalkSubkeys({root, path, kKindKey, Views::NativeAnd32Bit, Location::Path}, walk, visit);
}

// Whether root\path\name and everything below it read the same through the A
// functions: a backup of it restores what was there.
bool KeyReadsExactly(uint32_t root, const char* path, const char* name);

// Fills format's one %s with name; false when the result would not fit.
bool FormatKeyPath(char (&out)[kRegTextSize], const char* format, const char* name);
