#pragma once

#include <QString>
#include <QUuid>

namespace brisklet {

// One line reporting the outcome of an action, shown until the next action of its area replaces it
// or the user dismisses it. Every notice gets a fresh id, so the same sentence posted twice still
// counts as a change and shows again after a dismissal.
struct Notice {
    QUuid id;
    QString text;
    bool isError = false;

    static Notice make(QString text, bool isError) {
        return Notice{QUuid::createUuid(), std::move(text), isError};
    }

    bool operator==(const Notice&) const = default;
};

} // namespace brisklet
