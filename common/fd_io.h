#pragma once
// Writes that finish: retried when a signal interrupts them and continued after a
// short write; and reads that fill what they can. Safe inside a signal handler, as they call nothing but write(2) and
// pwrite(2), so the terminal's handlers use them too.
#include <sys/types.h>

#include <cstddef>

namespace kivo {

// False when the bytes could not all be written (errno says why); what was written
// before the failure stays written.
[[nodiscard]] bool writeAll(int fd, const char* data, size_t length);
// The same at `offset`, leaving the file position alone.
[[nodiscard]] bool writeAllAt(int fd, const char* data, size_t length, off_t offset);
// Reads at `offset` until `length` bytes are in or the file ends, retried when a
// signal interrupts it: the number of bytes read, or -1 when a read fails (errno
// says why).
[[nodiscard]] ssize_t readAllAt(int fd, void* data, size_t length, off_t offset);
// Starts putting `length` bytes from `offset` on the disk without waiting for them,
// so that the sync at the end of a large write waits only for its last part. Only a
// hint: an error shows at that sync.
void startWriteBack(int fd, off_t offset, size_t length);

}  // namespace kivo
