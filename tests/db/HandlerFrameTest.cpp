// The handler frame's trap meets every exception a step can raise: an
// AppError by its number, and whatever the C++ library throws numbered too,
// so the handler leaves and the run goes on with the next line.
#include <new>
#include <stdexcept>

#include "db/HandlerFrame.h"
#include "support/RunFixture.h"

namespace telvarn::test {
namespace {

using Lines = std::vector<std::string>;
using HandlerTrap = RunFixture;

// A frame that opens nothing, its boxes titled "Box".
FrameOptions options(const std::string& title, std::vector<int> ignore = {}) {
  FrameOptions made;
  made.title = title;
  made.ignore = std::move(ignore);
  made.boxTitle = "Box";
  made.opens = FrameOptions::Opens::Nothing;
  return made;
}

TEST_F(HandlerTrap, LibraryFailuresAreNumberedAndEndOnlyTheHandler) {
  const auto handler = [&](const std::function<void()>& failing) {
    HandlerFrame frame(run, options("Title", {3000}));
    frame.step(failing);
    frame.step([&] { run.report.status("after"); });
    return frame.left();
  };
  // 3000 is on the ignore list: a library failure passes over like any
  // other ignored number.
  EXPECT_FALSE(handler([] { throw std::length_error("basic_string::_M_create"); }));
  EXPECT_TRUE(handler([] { throw std::bad_alloc(); }));
  EXPECT_EQ(view.list, (Lines{"Title", "after", "Title", "7 - Out of memory"}));
  EXPECT_EQ(view.boxes, (Lines{"Box: 7 :  Out of memory"}));

  HandlerFrame other(run, options("Other"));
  other.step([] { throw std::invalid_argument("stod"); });
  EXPECT_EQ(view.list.back(), "3000 - Reserved error (stod); there is no message for this error.");

  HandlerFrame quiet(run, options("Quiet"));
  quiet.quietStep([] { throw std::out_of_range("vector::_M_range_check"); });
  EXPECT_FALSE(quiet.left());
  EXPECT_EQ(view.list.back(), "Quiet");
}

}  // namespace
}  // namespace telvarn::test
