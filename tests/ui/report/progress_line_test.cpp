#include <gtest/gtest.h>

#include "console_observer.h"

namespace {

// Faults: an estimate before anything is done or after all is done, a division by zero for an
// empty run, minutes and seconds run together.
TEST(ProgressLineTest, SaysWhatIsDoneAndEstimatesTheRest) {
  EXPECT_EQ(ProgressLine(0, 0, 0, 0, 0, 0), "0/0 Dateien, 0/0 MB, 0 Seiten erkannt, 0:00");
  EXPECT_EQ(ProgressLine(10, 40, 0.5, 200e6, 14, 30),
            "10/40 Dateien, 100/200 MB, 14 Seiten erkannt, 0:30, noch etwa 1:30");
  EXPECT_EQ(ProgressLine(40, 40, 1, 200e6, 60, 125),
            "40/40 Dateien, 200/200 MB, 60 Seiten erkannt, 2:05");
}

}  // namespace
