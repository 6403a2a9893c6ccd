#pragma once
// Files of other programs read whole, whatever their lines: an ADIF file may have
// none at all, so the line readers' limit does not apply here.
#include <sys/stat.h>

#include <string>

namespace kivo {

// Opens a file of another program to read, a folder refused (EISDIR): the descriptor
// with the file's status in `st`, or -1 with errno's value in `error`.
int openToRead(const std::string& path, struct stat& st, int& error);

// False (with errno's value in `error`) when the file cannot be read.
bool readWholeBytes(const std::string& path, std::string& bytes, int& error);

// Room for `size` bytes in `bytes`; a large buffer is asked of the system in huge
// pages where it gives them, so that filling it costs a fault per 2 MB rather than
// per 4 KB. Only a hint: the bytes are the same either way.
void reserveLarge(std::string& bytes, size_t size);
// The same hint for memory not yet touched: `size` bytes from `data`.
void adviseHugePages(void* data, size_t size);

}  // namespace kivo
