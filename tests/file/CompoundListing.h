#pragma once
// The storages and streams of a compound document read through libgsf (kept apart from
// the Qt headers, whose keywords clash with GLib's).

#include <string>
#include <vector>

// "name" and "storage/name" paths, storages ending in "/"; empty when the file is no
// compound document.
std::vector<std::string> compoundPaths(const std::string& file);

// The bytes of the stream at `path` ("storage/name"); empty when missing.
std::vector<unsigned char> compoundStream(const std::string& file, const std::string& path);
