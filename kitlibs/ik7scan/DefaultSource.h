#pragma once
// The source last used successfully, kept as its SANE device name in a small file of the
// user's configuration folder ($XDG_CONFIG_HOME/VidiraZorod/scan-source).

#include <string>

namespace scan {

std::string defaultSourcePath();
// The remembered SANE name; empty when none is kept.
std::string readDefaultSource();
void writeDefaultSource(const std::string& saneName);

}  // namespace scan
