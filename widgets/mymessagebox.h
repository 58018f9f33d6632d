#ifndef TAVREL_MYMESSAGEBOX_H
#define TAVREL_MYMESSAGEBOX_H

#include <QMessageBox>

// The forced reminder: a message box that makes itself nearly as large as the desktop,
// so a ringing entry cannot be overlooked.
class MyMessageBox : public QMessageBox
{
    Q_OBJECT

public:
    explicit MyMessageBox(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;
};

#endif // TAVREL_MYMESSAGEBOX_H
