#pragma once

#include <filesystem>
#include <string>

// What a path is, in words for a message: "a folder", "a character device", "a FIFO (named
// pipe)", "a socket" ...; "a regular file" for a file.
std::string FileKindText(std::filesystem::file_type type);
