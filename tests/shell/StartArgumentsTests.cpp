#include "RecordingNotifier.h"
#include "StartArguments.h"

#include <gtest/gtest.h>

namespace {

StartArguments scan(const QStringList& arguments, RecordingNotifier& notifier) {
    return scanStartArguments(arguments, notifier);
}

} // namespace

TEST(StartArgumentsTest, NoArgumentsKeepTheDefaults) {
    RecordingNotifier notifier;
    const StartArguments none = scan({}, notifier);
    EXPECT_FALSE(none.present);
    EXPECT_EQ(none.x, 0);
    EXPECT_EQ(none.y, 0);
    EXPECT_EQ(none.level, 2);
    EXPECT_FALSE(none.passwordGiven);
}

TEST(StartArgumentsTest, FourArgumentsPlaceTheWindowAndSetTheLevel) {
    RecordingNotifier notifier;
    const StartArguments plain = scan({QStringLiteral("-x10"), QStringLiteral("-y20"),
                                       QStringLiteral("-l2"), QStringLiteral("-p")},
                                      notifier);
    EXPECT_TRUE(plain.present);
    EXPECT_EQ(plain.x, 10);
    EXPECT_EQ(plain.y, 20);
    EXPECT_EQ(plain.level, 2);
    // "-p" with nothing after it does not match "-p%s".
    EXPECT_FALSE(plain.passwordGiven);
    EXPECT_TRUE(plain.password.isEmpty());

    const StartArguments admin = scan({QStringLiteral("-x-5"), QStringLiteral("-y+7"),
                                       QStringLiteral("-l1"), QStringLiteral("-pSecret")},
                                      notifier);
    EXPECT_EQ(admin.x, -5);
    EXPECT_EQ(admin.y, 7);
    EXPECT_EQ(admin.level, 1);
    EXPECT_TRUE(admin.passwordGiven);
    EXPECT_EQ(admin.password, QStringLiteral("Secret"));
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST(StartArgumentsTest, EachPositionIsScannedLikeItsForm) {
    RecordingNotifier notifier;
    const struct {
        QStringList arguments;
        int x, y, level;
        QString password;
    } cases[] = {
        // The first position must be "-x": anything else leaves x at 0.
        {{"-y10", "-y20", "-l1", "-pa"}, 0, 20, 1, "a"},
        {{"x10", "-y20"}, 0, 20, 2, ""},
        // Digits are read up to the first other character.
        {{"-x12abc", "-y3.9", "-l0x", "-pab cd"}, 12, 3, 0, "ab"},
        // No digits, or too many for an int, is no match.
        {{"-xabc", "-y", "-l99999999999", "-p"}, 0, 0, 2, ""},
        // Blanks after the prefix are skipped, as a scanner does.
        {{"-x 15", "-y\t-4", "-l 1", "-p  pw"}, 15, -4, 1, "pw"},
        // Positions are fixed: a right argument in the wrong place is not taken.
        {{"-x1", "-l1", "-y5", "-pq"}, 1, 0, 2, "q"},
        // Missing positions keep their defaults; extra ones are ignored.
        {{"-x40"}, 40, 0, 2, ""},
        {{"-x1", "-y2", "-l1", "-pa", "-x99", "junk"}, 1, 2, 1, "a"},
        {{"", "", "", ""}, 0, 0, 2, ""},
    };
    for (const auto& c : cases) {
        const StartArguments scanned = scan(c.arguments, notifier);
        const std::string label = c.arguments.join(' ').toStdString();
        EXPECT_TRUE(scanned.present) << label;
        EXPECT_EQ(scanned.x, c.x) << label;
        EXPECT_EQ(scanned.y, c.y) << label;
        EXPECT_EQ(scanned.level, c.level) << label;
        EXPECT_EQ(scanned.password, c.password) << label;
        EXPECT_EQ(scanned.passwordGiven, !c.password.isEmpty()) << label;
    }
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST(StartArgumentsTest, OverlongPasswordIsRefusedNotCut) {
    RecordingNotifier notifier;
    const StartArguments longest =
        scan({"-x0", "-y0", "-l1", QStringLiteral("-p") + QString(16, 'k')}, notifier);
    EXPECT_TRUE(longest.passwordGiven);
    EXPECT_EQ(longest.password, QString(16, 'k'));
    EXPECT_TRUE(notifier.messages.isEmpty());

    const StartArguments tooLong =
        scan({"-x0", "-y0", "-l1", QStringLiteral("-p") + QString(17, 'k')}, notifier);
    EXPECT_FALSE(tooLong.passwordGiven);
    EXPECT_TRUE(tooLong.passwordRefused);
    EXPECT_TRUE(tooLong.password.isEmpty());
    EXPECT_EQ(tooLong.level, 1);
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0],
              (RecordingNotifier::Message{QStringLiteral("critical"), QStringLiteral("Error"),
                                          QStringLiteral("The password given with \"-p\" is "
                                                         "longer than 16 characters and is "
                                                         "ignored.")}));
}
