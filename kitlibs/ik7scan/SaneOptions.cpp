#include "SaneOptions.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <strings.h>

namespace scan {

namespace {

double toNumber(SANE_Word word, SANE_Value_Type type) {
    return type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : static_cast<double>(word);
}

SANE_Word toWord(double value, SANE_Value_Type type) {
    return type == SANE_TYPE_FIXED ? SANE_FIX(value) : static_cast<SANE_Word>(std::lround(value));
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

const SANE_Option_Descriptor* SaneOptions::find(const char* name, SANE_Int* index) const {
    SANE_Int count = 0;
    if (sane_control_option(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD) return nullptr;
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(handle_, i);
        if (!d || !d->name || std::strcmp(d->name, name) != 0) continue;
        if (!SANE_OPTION_IS_ACTIVE(d->cap)) return nullptr;
        if (index) *index = i;
        return d;
    }
    return nullptr;
}

bool SaneOptions::settable(const char* name) const {
    const SANE_Option_Descriptor* d = find(name);
    return d && SANE_OPTION_IS_SETTABLE(d->cap);
}

std::optional<double> SaneOptions::number(const char* name) const {
    SANE_Int index = 0;
    const SANE_Option_Descriptor* d = find(name, &index);
    if (!d || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) || d->size < SANE_Int(sizeof(SANE_Word)))
        return std::nullopt;
    std::vector<SANE_Word> words(static_cast<std::size_t>(d->size) / sizeof(SANE_Word) + 1);
    if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, words.data(), nullptr) != SANE_STATUS_GOOD)
        return std::nullopt;
    return toNumber(words[0], d->type);
}

std::optional<NumberConstraint> SaneOptions::numberConstraint(const char* name) const {
    const SANE_Option_Descriptor* d = find(name);
    if (!d || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED)) return std::nullopt;
    NumberConstraint c;
    if (d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range) {
        c.minimum = toNumber(d->constraint.range->min, d->type);
        c.maximum = toNumber(d->constraint.range->max, d->type);
        c.step = toNumber(d->constraint.range->quant, d->type);
    } else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list) {
        const SANE_Word* list = d->constraint.word_list;
        for (SANE_Word i = 1; i <= list[0]; ++i) c.values.push_back(toNumber(list[i], d->type));
        if (c.values.empty()) return std::nullopt;
        c.minimum = *std::min_element(c.values.begin(), c.values.end());
        c.maximum = *std::max_element(c.values.begin(), c.values.end());
    } else {
        return std::nullopt;
    }
    return c;
}

bool SaneOptions::setNumber(const char* name, double value) {
    SANE_Int index = 0;
    const SANE_Option_Descriptor* d = find(name, &index);
    if (!d || !SANE_OPTION_IS_SETTABLE(d->cap) || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED))
        return false;
    if (const auto c = numberConstraint(name)) {
        if (c->isRange()) {
            value = std::clamp(value, c->minimum, c->maximum);
        } else {
            value = *std::min_element(c->values.begin(), c->values.end(), [value](double a, double b) {
                return std::fabs(a - value) < std::fabs(b - value);
            });
        }
    }
    // Array options (per-channel values) take the number in every element.
    std::vector<SANE_Word> words(std::max<std::size_t>(1, static_cast<std::size_t>(d->size) / sizeof(SANE_Word)),
                                 toWord(value, d->type));
    SANE_Int info = 0;
    return sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, words.data(), &info) == SANE_STATUS_GOOD;
}

std::optional<std::string> SaneOptions::text(const char* name) const {
    SANE_Int index = 0;
    const SANE_Option_Descriptor* d = find(name, &index);
    if (!d || d->type != SANE_TYPE_STRING || d->size <= 0) return std::nullopt;
    std::vector<char> buffer(static_cast<std::size_t>(d->size) + 1, '\0');
    if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, buffer.data(), nullptr) != SANE_STATUS_GOOD)
        return std::nullopt;
    return std::string(buffer.data());
}

bool SaneOptions::setText(const char* name, const std::string& value) {
    SANE_Int index = 0;
    const SANE_Option_Descriptor* d = find(name, &index);
    if (!d || d->type != SANE_TYPE_STRING || !SANE_OPTION_IS_SETTABLE(d->cap)) return false;
    if (value.size() + 1 > static_cast<std::size_t>(d->size)) return false;
    std::vector<char> buffer(static_cast<std::size_t>(d->size), '\0');
    std::memcpy(buffer.data(), value.data(), value.size());
    SANE_Int info = 0;
    return sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, buffer.data(), &info) == SANE_STATUS_GOOD;
}

std::vector<std::string> SaneOptions::textChoices(const char* name) const {
    std::vector<std::string> choices;
    const SANE_Option_Descriptor* d = find(name);
    if (!d || d->type != SANE_TYPE_STRING || d->constraint_type != SANE_CONSTRAINT_STRING_LIST ||
        !d->constraint.string_list)
        return choices;
    for (const SANE_String_Const* s = d->constraint.string_list; *s; ++s) choices.emplace_back(*s);
    return choices;
}

bool SaneOptions::setFromText(const std::string& name, const std::string& value) {
    const SANE_Option_Descriptor* d = find(name.c_str());
    if (!d) return false;
    switch (d->type) {
        case SANE_TYPE_STRING: return setText(name.c_str(), value);
        case SANE_TYPE_INT:
        case SANE_TYPE_FIXED: {
            char* end = nullptr;
            const double number = std::strtod(value.c_str(), &end);
            return end != value.c_str() && setNumber(name.c_str(), number);
        }
        case SANE_TYPE_BOOL: {
            SANE_Int index = 0;
            find(name.c_str(), &index);
            const std::string v = lower(value);
            SANE_Word flag = (v == "yes" || v == "true" || v == "1") ? SANE_TRUE : SANE_FALSE;
            return SANE_OPTION_IS_SETTABLE(d->cap) &&
                   sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, &flag, nullptr) == SANE_STATUS_GOOD;
        }
        default: return false;
    }
}

SANE_Unit SaneOptions::unit(const char* name) const {
    const SANE_Option_Descriptor* d = find(name);
    return d ? d->unit : SANE_UNIT_NONE;
}

std::optional<std::string> pickChoice(const std::vector<std::string>& choices, const std::vector<std::string>& wanted) {
    for (const std::string& w : wanted)
        for (const std::string& c : choices)
            if (strcasecmp(c.c_str(), w.c_str()) == 0) return c;
    for (const std::string& w : wanted)
        for (const std::string& c : choices)
            if (lower(c).find(lower(w)) != std::string::npos) return c;
    return std::nullopt;
}

}  // namespace scan
