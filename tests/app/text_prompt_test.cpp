#include "app/windows/ask_for_text_window.h"
#include "app_fixture.h"

namespace {

class TextPrompt : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartApp();
  }
};

TEST_F(TextPrompt, OkHandsBackTheTextExactlyAsTyped) {
  backend.QueueModalReaction([&](rt::Window &w) {
    auto &prompt = dynamic_cast<tovra::AskForTextWindow &>(w);
    EXPECT_EQ(prompt.theQuery->Text().Bytes(), "Name?");
    EXPECT_EQ(prompt.theQuery->TextAlign, 1);
    EXPECT_EQ(prompt.theText->Text().Bytes(), "") << "the field starts empty";
    driver.Type(" my name ");
    driver.PressKey("\r");
  });
  rt::String answer = "previous";
  EXPECT_TRUE(tovra::Utilities::AskForText("Name?", answer));
  EXPECT_EQ(answer.Bytes(), " my name ");
}

TEST_F(TextPrompt, OkWithEmptyFieldGivesEmptyAnswer) {
  backend.QueueModalReaction([&](rt::Window &w) {
    dynamic_cast<tovra::AskForTextWindow &>(w).OKButton->Push();
  });
  rt::String answer = "previous";
  EXPECT_TRUE(tovra::Utilities::AskForText("Q", answer));
  EXPECT_EQ(answer.Bytes(), "");
}

TEST_F(TextPrompt, CancelLeavesTheAnswerUntouched) {
  backend.QueueModalReaction([&](rt::Window &) {
    driver.Type("typed");
    driver.PressKey("\x1b");
  });
  rt::String answer = "previous";
  EXPECT_FALSE(tovra::Utilities::AskForText("Q", answer));
  EXPECT_EQ(answer.Bytes(), "previous");
}

TEST_F(TextPrompt, CloseBoxReportsAnEmptyAnswer) {
  backend.QueueModalReaction([&](rt::Window &w) {
    driver.Type("typed");
    driver.PressCloseBox(w);
  });
  rt::String answer = "previous";
  EXPECT_TRUE(tovra::Utilities::AskForText("Q", answer));
  EXPECT_EQ(answer.Bytes(), "");
}

}  // namespace
