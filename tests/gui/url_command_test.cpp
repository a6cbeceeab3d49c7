#include "app/gui/url_command.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace gui {
namespace {

constexpr const char* kAddress = "https://quorvex.example.org/";

struct CommandCase {
  const char* name;
  std::string handler;
  std::optional<std::string> expected;
};

TEST(BuildLaunchCommand, PlaceholderRules) {
  const CommandCase cases[] = {
      {"quoted placeholder", "browser \"%1\"", "browser  https://quorvex.example.org/"},
      {"bare placeholder", "browser %1", "browser  https://quorvex.example.org/"},
      {"text after the placeholder is dropped", "browser -url %1 -new-tab",
       "browser -url  https://quorvex.example.org/"},
      {"quoted placeholder wins over an earlier bare one", "browser %1 \"%1\"",
       "browser %1  https://quorvex.example.org/"},
      {"no placeholder", "browser", "browser https://quorvex.example.org/"},
      {"no placeholder, trailing blank", "\"C:\\Web\\web.exe\" ",
       "\"C:\\Web\\web.exe\"  https://quorvex.example.org/"},
      {"only the placeholder names no program", "\"%1\"", std::nullopt},
      {"blanks before the placeholder name no program", "   %1", std::nullopt},
      {"empty handler", "", std::nullopt},
  };
  for (const CommandCase& row : cases) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(buildLaunchCommand(row.handler, kAddress), row.expected);
  }
}

TEST(BuildLaunchCommand, HandlerLongerThanItsBufferIsNotRun) {
  const std::string longest(kMaxHandlerCommandChars, 'b');
  ASSERT_TRUE(buildLaunchCommand(longest, "a").has_value());
  EXPECT_EQ(*buildLaunchCommand(longest, "a"), longest + " a");
  EXPECT_EQ(buildLaunchCommand(longest + "b", "a"), std::nullopt);
  // Too long as read, even though the cut would make it short.
  EXPECT_EQ(buildLaunchCommand("b %1" + std::string(kMaxHandlerCommandChars, ' '), "a"),
            std::nullopt);
}

TEST(BuildLaunchCommand, CommandLongerThanItsBufferIsNotRun) {
  const std::string handler = "browser %1";  // cut to "browser " (8 characters)
  const std::size_t room = kMaxLaunchCommandChars - 8 - 1;
  const auto fits = buildLaunchCommand(handler, std::string(room, 'x'));
  ASSERT_TRUE(fits.has_value());
  EXPECT_EQ(fits->size(), kMaxLaunchCommandChars);
  EXPECT_EQ(buildLaunchCommand(handler, std::string(room + 1, 'x')), std::nullopt);
  EXPECT_EQ(buildLaunchCommand(handler, std::string(100000, 'x')), std::nullopt);
}

TEST(LaunchErrorText, KnownAndUnknownCodes) {
  EXPECT_EQ(launchErrorText(26), "Unable to open hyperlink:\n\nA sharing violation occurred. ");
  EXPECT_EQ(launchErrorText(1), "Unable to open hyperlink:\n\nUnknown Error (1) occurred.");
  EXPECT_EQ(launchErrorText(0),
            "Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources.");
  EXPECT_EQ(launchErrorText(kLaunchNoAssociation),
            "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
            "filename extension.");
  EXPECT_EQ(launchErrorText(kLaunchFileNotFound),
            "Unable to open hyperlink:\n\nThe specified file was not found.");
  EXPECT_EQ(launchErrorText(32),
            "Unable to open hyperlink:\n\nThe specified dynamic-link library was not found.");
  EXPECT_EQ(launchErrorText(-7), "Unable to open hyperlink:\n\nUnknown Error (-7) occurred.");
  EXPECT_EQ(launchErrorText(33), "Unable to open hyperlink:\n\nUnknown Error (33) occurred.");
}

TEST(DefaultApplicationFor, ReadsOnlyTheDefaultsGroup) {
  const std::string list =
      "[Added Associations]\n"
      "x-scheme-handler/https=other.desktop;\n"
      "\n"
      "# the user's choice\n"
      "[Default Applications]\r\n"
      "text/html=firefox-esr.desktop\r\n"
      "x-scheme-handler/https = ;chromium.desktop;firefox-esr.desktop;\n"
      "[Removed Associations]\n"
      "x-scheme-handler/http=chromium.desktop\n";
  EXPECT_EQ(defaultApplicationFor(list, "x-scheme-handler/https"), "chromium.desktop");
  EXPECT_EQ(defaultApplicationFor(list, "text/html"), "firefox-esr.desktop");
  EXPECT_EQ(defaultApplicationFor(list, "x-scheme-handler/http"), "");
  EXPECT_EQ(defaultApplicationFor("", "text/html"), "");
  EXPECT_EQ(defaultApplicationFor("[Default Applications]\ntext/html=;;\n", "text/html"), "");
}

TEST(DesktopEntryCommand, FieldCodesAndEscapes) {
  const struct {
    const char* name;
    std::string entry;
    std::optional<std::string> expected;
  } cases[] = {
      {"address code", "[Desktop Entry]\nName=Web\nExec=/usr/bin/web %u\n", "/usr/bin/web %1"},
      {"list code", "[Desktop Entry]\nExec=web --new %U\n", "web --new %1"},
      {"file codes", "[Desktop Entry]\nExec=web %f\n", "web %1"},
      {"other codes dropped", "[Desktop Entry]\nExec=web --class=%c %i %F\n", "web --class=  %1"},
      {"percent sign", "[Desktop Entry]\nExec=web --zoom=100%% %u\n", "web --zoom=100% %1"},
      {"escapes", "[Desktop Entry]\nExec=/opt/My\\sWeb/web\\\\x \"%u\"\n",
       "/opt/My Web/web\\x \"%1\""},
      {"actions are not the entry",
       "[Desktop Action new]\nExec=web --private %u\n[Desktop Entry]\nExec=web %u\n", "web %1"},
      {"no placeholder", "[Desktop Entry]\nExec=web\n", "web"},
      {"no Exec key", "[Desktop Entry]\nName=Web\n", std::nullopt},
      {"Exec only in another group", "[Desktop Action new]\nExec=web %u\n", std::nullopt},
      {"localized keys are other keys", "[Desktop Entry]\nExec[de]=web %u\n", std::nullopt},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(desktopEntryCommand(row.entry), row.expected);
  }
}

TEST(DesktopEntryCommand, FeedsTheLaunchCommand) {
  const auto handler = desktopEntryCommand("[Desktop Entry]\nExec=/usr/bin/web --new-window %u\n");
  ASSERT_TRUE(handler.has_value());
  EXPECT_EQ(buildLaunchCommand(*handler, kAddress),
            "/usr/bin/web --new-window  https://quorvex.example.org/");
}

}  // namespace
}  // namespace gui
