// The window's place handed to a relaunched game in the environment: only a
// well-formed, plausible place is believed.
#include <gtest/gtest.h>

#include "sdl/window_place.h"

namespace spriteengine::sdl {
namespace {

TEST(WindowPlaceTest, APlaceWrittenIsReadBack) {
  const SDL_Rect r{-40, 1100, 640, 480};  // left of and below the first display: other monitors
  std::optional<SDL_Rect> back = ParseWindowPlace(FormatWindowPlace(r));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->x, -40);
  EXPECT_EQ(back->y, 1100);
  EXPECT_EQ(back->w, 640);
  EXPECT_EQ(back->h, 480);
}

TEST(WindowPlaceTest, GarbledOrImplausiblePlacesAreNotBelieved) {
  for (const char* text : {"", "800,600", "1,2,3,4,5", "10,10,800,600x", "a,b,c,d", "10,10,100,100",
                           "10,10,800,99999", "99999,0,800,600", "10, 10, 800 600", "0,0,-800,600"}) {
    EXPECT_FALSE(ParseWindowPlace(text)) << text;
  }
}

}  // namespace
}  // namespace spriteengine::sdl
