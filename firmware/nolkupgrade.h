#ifndef NOLKSET_NOLKUPGRADE_H
#define NOLKSET_NOLKUPGRADE_H

#include <QString>
#include <QThread>

#include <atomic>

// Writes a firmware image file into the open wheel and reports progress in
// whole percent: 0 to 95 while the image streams, 97 to 100 while the wheel
// writes it, a negative value when the upload failed and was stopped.
class NolkUpgrade : public QThread
{
    Q_OBJECT

public:
    explicit NolkUpgrade(QObject *parent = nullptr);

    // The image to write; assigned by the window before each start and left
    // alone while the thread runs.
    QString path;

    // Image bytes the wheel has taken so far in this run; read from any thread.
    qint64 sentBytes() const { return takenBytes.load(); }

signals:
    void progress(int percent);

protected:
    void run() override;

private:
    std::atomic<qint64> takenBytes{0};
};

#endif
