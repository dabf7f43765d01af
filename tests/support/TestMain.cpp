// Every test program starts here: it gives the process a home and a settings folder of
// its own, so that no test ever reads or writes the developer's settings, log or data.
#include "SettingsSandbox.h"
#include "StoreNames.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    static const TemporaryHome home;
    if (!home.isValid())
        return 1;
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    useApplicationStoreNames();
    return RUN_ALL_TESTS();
}
