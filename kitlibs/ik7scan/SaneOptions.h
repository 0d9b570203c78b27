#pragma once
// The options of an open SANE device, found by name: numbers, texts, their constraints.

#include <sane/sane.h>

#include <optional>
#include <string>
#include <vector>

namespace scan {

struct NumberConstraint {
    double minimum = 0, maximum = 0, step = 0;
    std::vector<double> values;  // a word list; empty for a range
    bool isRange() const { return values.empty(); }
};

class SaneOptions {
public:
    explicit SaneOptions(SANE_Handle handle) : handle_(handle) {}

    // The option's descriptor and index when the device has it and it is active.
    const SANE_Option_Descriptor* find(const char* name, SANE_Int* index = nullptr) const;
    bool offered(const char* name) const { return find(name) != nullptr; }
    bool settable(const char* name) const;

    // Integer and fixed options as numbers (the first element of an array).
    std::optional<double> number(const char* name) const;
    // Sets a number, brought into the option's range or to the nearest list value.
    bool setNumber(const char* name, double value);
    std::optional<NumberConstraint> numberConstraint(const char* name) const;

    std::optional<std::string> text(const char* name) const;
    bool setText(const char* name, const std::string& value);
    std::vector<std::string> textChoices(const char* name) const;

    // Sets any option from a text ("yes"/"no" for booleans), for the extra option lines.
    bool setFromText(const std::string& name, const std::string& value);

    SANE_Unit unit(const char* name) const;
    SANE_Handle handle() const { return handle_; }

private:
    SANE_Handle handle_;
};

// The entry of `choices` equal to one of `wanted` (case-insensitive), tried in order; or
// the first entry that contains one of them.
std::optional<std::string> pickChoice(const std::vector<std::string>& choices, const std::vector<std::string>& wanted);

}  // namespace scan
