#ifndef NOLKSET_NOLKEVENT_H
#define NOLKSET_NOLKEVENT_H

#include <QByteArray>
#include <QThread>

// Polls the open wheel for input reports and hands each one to the window
// as 16 bytes. Notices a lost wheel: a failed read closes the wheel and
// reports the loss.
class NolkEvent : public QThread
{
    Q_OBJECT

public:
    explicit NolkEvent(QObject *parent = nullptr);

signals:
    void eventTrigger(QByteArray report);
    void deviceDisconnect();

protected:
    void run() override;
};

#endif
