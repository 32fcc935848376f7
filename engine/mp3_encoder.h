#pragma once

#include <string>

// The encoder module's plain file name, looked for beside the executable and then on the system path.
inline constexpr const char* kEncoderModuleName = "lame_enc.so";

// Which module the encoder stage loads; tests point it at stand-ins with missing or failing entry points.
void SetEncoderModuleName(std::string fileName);
