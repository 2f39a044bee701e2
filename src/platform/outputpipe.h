#pragma once

#include "platform/decodedpicturereader.h"

namespace vlm {

// The helper's standard output: a pipe of the program's own, which the reader's image is read
// from directly, a megabyte at a time, rather than through QProcess's buffers and copies.
class OutputPipe {
public:
    OutputPipe();
    ~OutputPipe();
    OutputPipe(const OutputPipe&) = delete;
    OutputPipe& operator=(const OutputPipe&) = delete;

    bool isOpen() const { return readEnd_ >= 0; }
    int readEnd() const { return readEnd_; }
    int writeEnd() const { return writeEnd_; }
    // Once the helper has its copy: the end of the output is then the helper's.
    void closeWriteEnd();

    // Reads what the pipe holds into the reader. False when the answer can no longer be valid.
    bool readInto(DecodedPictureReader& reader);

private:
    int readEnd_ = -1;
    int writeEnd_ = -1;
};

} // namespace vlm
