#pragma once

namespace tintor {

// A program that holds movies of millions of colours one after the other
// gives their memory back when it closes them. glibc keeps freed blocks in
// its heaps for reuse, one heap for each thread that allocated, and after
// the first large block it frees it keeps even large ones there; a window
// would then go on holding hundreds of megabytes it no longer uses.

// From now on every block of a megabyte or more is the system's own
// mapping, returned the moment it is freed. Called once, at the start.
void ReturnLargeBlocksWhenFreed();
// Gives back what the heaps hold free now: after a large document went.
void ReturnFreedMemory();

} // namespace tintor
