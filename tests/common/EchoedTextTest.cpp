#include "EchoedText.h"

#include <gtest/gtest.h>

namespace {

TEST(EchoedText, KeepsUpTo200CharactersAndMarksWhatItCuts) {
    const QString exact(200, QLatin1Char('x'));
    EXPECT_EQ(echoedText(QString()), QString());
    EXPECT_EQ(echoedText(exact), exact);
    EXPECT_EQ(echoedText(exact + QStringLiteral("yz")), exact + QStringLiteral("..."));
    // A character of two code units that straddles the cut is left out whole.
    const QString straddling =
        QString(199, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(echoedText(straddling + QStringLiteral("b")),
              QString(199, QLatin1Char('a')) + QStringLiteral("..."));
}

} // namespace
