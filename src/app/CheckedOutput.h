// Writes to standard output that report their failure: a full disk or a
// closed file is an error of the run (exit status 1, the reason on standard
// error), never output lost behind a success.
#pragma once

#include <QByteArray>
#include <cstdio>

// Raises EInOutError when the bytes cannot be written.
void WriteOutput(FILE* out, const QByteArray& bytes);
// Flushes what the stream still buffers; raises when it cannot be written.
void FlushOutput(FILE* out);
