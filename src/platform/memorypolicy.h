#pragma once

namespace vlm {

// Large blocks (a decoded preview, a bitmap's rows) go back to the system when freed. By
// default glibc raises its threshold for mapping blocks of their own after the first large one
// is freed, and every later change then leaves its buffers in the heap: a program that sits in
// the tray for days would keep the largest change's memory. Call once, first thing.
void returnLargeBlocksWhenFreed();

} // namespace vlm
