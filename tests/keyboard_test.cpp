#include "driver/keyboard.h"

#include <gtest/gtest.h>

#include "console_fixture.h"
#include "driver/failure.h"
#include "driver/readint.h"

namespace halvik {
namespace {

using testing::Memoryconsole;

TEST(Readline, Keepsthefirst255charactersanddiscardstherest) {
  Memoryconsole io(std::string(300, 'x') + "\nnext\n");
  EXPECT_EQ(Readline(255), std::string(255, 'x'));
  EXPECT_EQ(Readline(255), "next");
}

TEST(Readline, Trimsnothingandkeepscarriagereturns) {
  Memoryconsole io("  a b \r\n\n");
  EXPECT_EQ(Readline(255), "  a b \r");
  EXPECT_EQ(Readline(255), "");
}

TEST(Readline, Takesalastlinewithoutalinefeed) {
  Memoryconsole io("last");
  EXPECT_EQ(Readline(255), "last");
  EXPECT_THROW(Readline(255), Ioerror);
}

TEST(Readfirstchar, Discardstherestandgivesablankforanemptyline) {
  Memoryconsole io("yes\n\nY\n");
  EXPECT_EQ(Readfirstchar(), 'y');
  EXPECT_EQ(Readfirstchar(), ' ');
  EXPECT_EQ(Readfirstchar(), 'Y');
  EXPECT_THROW(Readfirstchar(), Ioerror);
}

TEST(Readcharkeep, Leavestherestofthelineforthenextread) {
  Memoryconsole io("yes\nx\n");
  EXPECT_EQ(Readcharkeep(), 'y');
  EXPECT_EQ(Readline(255), "es");
  EXPECT_EQ(Readcharkeep(), 'x');
  EXPECT_EQ(Readcharkeep(), ' ');  // the line end reads as a blank and is consumed
  EXPECT_THROW(Readcharkeep(), Ioerror);
}

TEST(Skipline, Discardsonewholeline) {
  Memoryconsole io("anything at all\n7\n");
  Skipline();
  EXPECT_EQ(Readline(255), "7");
  EXPECT_THROW(Skipline(), Ioerror);
}

TEST(Keyboard, Deliverstheconsolebeforewaiting) {
  Memoryconsole io("\n");
  Writestr(Console, "Press return when ready.");
  EXPECT_EQ(io.output, "");
  Skipline();
  EXPECT_EQ(io.output, "Press return when ready.");
}

TEST(Keyboard, Discardsaverylonglinewithoutkeepingit) {
  Memoryconsole io(std::string(1 << 20, '9') + "\n12\n");
  EXPECT_EQ(Readint(1, 29999), 12);
  EXPECT_EQ(io.Text(), "Please enter a positive number below  30000: ");
}

}  // namespace
}  // namespace halvik
