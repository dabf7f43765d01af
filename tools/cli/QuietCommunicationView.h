#pragma once

#include "CommunicationView.h"

// The status bar of the command line is silent: each command prints its outcome at the end.
class QuietCommunicationView : public CommunicationView {
public:
    void setStatus(const QString&) override {}
    void clearPartNumberItems() override {}
    void setWaitCursor(bool) override {}
    void showCommunicationFailure() override {}
};
