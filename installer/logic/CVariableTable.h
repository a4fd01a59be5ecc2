#pragma once
// The named values that ^NAME^ references resolve to: the seven reserved string variables and the
// product's string variables, in the order added.
#include <string>
#include <vector>

namespace setup {

class CVariableTable {
public:
    struct Entry {
        std::string name;
        std::string value;
    };

    // Positions of the reserved string variables.
    enum Position : std::size_t {
        WindowsDir = 0,
        WindowsSystemDir = 1,
        WindowsDrive = 2,
        ProgramFilesDir = 3,
        ProductName = 4,
        ProductVersion = 5,
        SetupPath = 6,
    };

    void AddVariable(std::string name, std::string value);
    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

// What a lookup found.
struct VariableIdentity {
    enum class Kind { None, TableEntry, ComponentPath, CurrentDestination };
    Kind kind = Kind::None;
    std::size_t index = 0;  // table position or component index
    friend bool operator==(const VariableIdentity&, const VariableIdentity&) = default;
};

inline constexpr std::string_view CircularReferenceText = "<Circular reference!>";

}  // namespace setup
