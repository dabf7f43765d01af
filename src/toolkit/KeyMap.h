#pragma once

#include <QHash>

// Keys (Qt::Key values, pressed without modifiers) to event codes.
class KeyMap {
public:
    void clear() { codes_.clear(); }
    void map(int key, int code) { codes_.insert(key, code); }
    // 0 when the key is not mapped.
    int code(int key) const { return codes_.value(key, 0); }

private:
    QHash<int, int> codes_;
};
