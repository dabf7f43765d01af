#include "EchoedText.h"

#include <gtest/gtest.h>

namespace {

TEST(EchoedText, KeepsUpTo200CharactersAndMarksWhatItCuts) {
    const QString exact(200, QLatin1Char('x'));
    EXPECT_EQ(echoedText(QString()), QString());
    EXPECT_EQ(echoedText(exact), exact);
    EXPECT_EQ(echoedText(exact + QStringLiteral("yz")), exact + QStringLiteral("..."));
}

} // namespace
