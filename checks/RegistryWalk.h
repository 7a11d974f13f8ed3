// The value walk and the subkey walk every check is built on: fixed 2048-byte
// buffers, a failing entry passed over, REG_SZ as stored, REG_EXPAND_SZ expanded.
#pragma once

#include "engine/GbkText.h"
#include "engine/ProblemItem.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

constexpr size_t kRegTextSize = 2048;

// A borrowed callable taking (name, text); nothing is copied or allocated. It must
// outlive the walk it is handed to (a lambda written in the call does).
class EntryVisitor {
public:
    template <typename F,
              typename = std::enable_if_t<!std::is_same<std::decay_t<F>, EntryVisitor>::value>>
    EntryVisitor(F&& f)
        : m_object(const_cast<void*>(static_cast<const void*>(&f))),
          m_call([](void* object, const char* name, const char* text) {
              (*static_cast<std::remove_reference_t<F>*>(object))(name, text);
          }) {}
    void operator()(const char* name, const char* text) const { m_call(m_object, name, text); }

private:
    void* m_object;
    void (*m_call)(void*, const char*, const char*);
};

enum class ValueRead {
    NameOnly,  // type and data not asked for: every value whose name fits; text is null
    Text,      // REG_SZ as stored and REG_EXPAND_SZ expanded
    StoredText // REG_SZ only
};

// Visits (value name, text) of each value of root\path that passes the read mode.
void WalkValues(uint32_t root, const char* path, ValueRead mode, EntryVisitor visit);

struct SubkeyWalk {
    uint32_t root;
    const char* path;
    // Null: each subkey is opened relative to the walked key. Otherwise a format with
    // one %s for the subkey's name, opened from the root.
    const char* subkeyFormat;
    // The one value read from each subkey; null for its default value.
    const char* valueName;
    // Tested before each subkey when given; the walk ends once it is set.
    const ScanStatus* stopWatch;
};

// Visits (subkey name, text) of each subkey whose value is REG_SZ or REG_EXPAND_SZ.
void WalkSubkeys(const SubkeyWalk& walk, EntryVisitor visit);

// Fills format's one %s with name; false when the result would not fit.
bool FormatKeyPath(char (&out)[kRegTextSize], const char* format, const char* name);
