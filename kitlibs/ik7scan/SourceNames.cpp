#include "SourceNames.h"

#include <algorithm>
#include <map>
#include <numeric>

namespace scan {

std::string cutUtf8(const std::string& text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    std::size_t end = bytes;
    // Step back over continuation bytes so that a sequence is never split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

namespace {

std::string baseName(const std::string& model) {
    std::string name = model;
    std::replace(name.begin(), name.end(), ',', ' ');
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    if (name.empty()) name = "scanner";
    return cutUtf8(name, kProductNameBytes);
}

}  // namespace

std::vector<std::string> productNames(const std::vector<std::string>& models, const std::vector<std::string>& saneNames) {
    const std::size_t n = models.size();
    std::vector<std::string> names(n);
    std::map<std::string, std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < n; ++i) groups[baseName(models[i])].push_back(i);
    for (auto& [base, members] : groups) {
        std::stable_sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) {
            return (a < saneNames.size() ? saneNames[a] : std::string()) <
                   (b < saneNames.size() ? saneNames[b] : std::string());
        });
        for (std::size_t k = 0; k < members.size(); ++k) {
            if (k == 0) {
                names[members[k]] = base;
                continue;
            }
            const std::string suffix = " (" + std::to_string(k + 1) + ")";
            names[members[k]] = cutUtf8(base, kProductNameBytes - suffix.size()) + suffix;
        }
    }
    // A numbered name may meet another device's plain name ("A (2)" as a model): number on.
    for (std::size_t i = 0; i < n; ++i) {
        const auto clashes = [&](const std::string& name) {
            for (std::size_t j = 0; j < n; ++j)
                if (j != i && names[j] == name) return true;
            return false;
        };
        if (!clashes(names[i])) continue;
        const std::string base = names[i];
        for (std::size_t k = 2; clashes(names[i]); ++k) {
            const std::string suffix = " #" + std::to_string(k);
            names[i] = cutUtf8(base, kProductNameBytes - suffix.size()) + suffix;
        }
    }
    return names;
}

ListText buildListText(const std::string& defaultName, const std::vector<std::string>& names, std::size_t capacity) {
    ListText list;
    if (capacity == 0) {
        list.complete = names.empty() && defaultName.empty();
        return list;
    }
    const std::size_t room = capacity - 1;  // the terminating NUL
    if (defaultName.size() + 1 > room) {
        list.complete = false;
        return list;
    }
    list.text = defaultName + ",";
    for (const std::string& name : names) {
        if (list.text.size() + name.size() + 1 > room) {
            list.complete = false;
            continue;
        }
        list.text += name;
        list.text += ',';
        ++list.count;
    }
    return list;
}

std::size_t listTextBytes(const std::string& defaultName, const std::vector<std::string>& names) {
    return std::accumulate(names.begin(), names.end(), defaultName.size() + 2,
                           [](std::size_t sum, const std::string& name) { return sum + name.size() + 1; });
}

}  // namespace scan
