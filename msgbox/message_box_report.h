#pragma once

#include <QEvent>
#include <cstdint>

namespace dbx {

// What the Report button sends to the box's owner, synchronously: the report message of the
// box's options. Owners catch it in their event handler.
class MessageBoxReportEvent : public QEvent {
  public:
    explicit MessageBoxReportEvent(std::uint32_t message) : QEvent(Type()), message_(message) {}

    static QEvent::Type Type() {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }
    std::uint32_t Message() const { return message_; }

  private:
    std::uint32_t message_;
};

}  // namespace dbx
