#pragma once

#include <QDateTime>

#include "seams/Clock.h"

namespace qvset::app {

// The machine's local date and time, in the form the Simplified Chinese system writes it
// ("2024/5/3 14:07:09").
class QtClock final : public Clock {
  public:
    std::string Now() const override {
        return QDateTime::currentDateTime().toString(QStringLiteral("yyyy/M/d H:mm:ss")).toStdString();
    }
};

}  // namespace qvset::app
