#pragma once

#include <QObject>

#include <functional>

// Routes the events of the objects it is installed on to one handler; the
// handler's true consumes the event.
class TEventHook : public QObject
{
public:
    using THandler = std::function<bool(QObject *watched, QEvent *event)>;
    TEventHook(QObject *parent, THandler handler)
        : QObject(parent)
        , Handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override { return Handler(watched, event); }

private:
    THandler Handler;
};
