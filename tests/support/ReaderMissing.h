// What a test does when an independent reader it needs (a program, a Python
// module, the server cluster) is missing: on a developer's machine it skips;
// in CI, where scripts/install-deps installs every reader, the reader's
// absence is a fault of the setup and fails the test, so that a format is
// never taken as proven by a run that did not read it.
#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <gtest/gtest.h>

// True in CI: the environment variable CI is set to anything but "false" or "0".
inline bool ReadersRequired()
{
    const QByteArray ci = qgetenv("CI");
    return !ci.isEmpty() && ci != "false" && ci != "0";
}

// Ends the test, skipped or (in CI) failed; the reason is streamed after it:
//   READER_MISSING() << "ssconvert is not installed";
#define READER_MISSING()                                                                           \
    return ::testing::internal::AssertHelper(                                                      \
               ReadersRequired() ? ::testing::TestPartResult::kFatalFailure                        \
                                 : ::testing::TestPartResult::kSkip,                               \
               __FILE__, __LINE__,                                                                 \
               ReadersRequired() ? "missing in CI, where scripts/install-deps installs it"         \
                                 : "Skipped") = ::testing::Message()
