#ifndef TAVREL_XINGJIANCHUANGKOU_H
#define TAVREL_XINGJIANCHUANGKOU_H

#include <QDialog>

// The dialog that creates and edits one entry.
class XingJianChuangKou : public QDialog
{
    Q_OBJECT

public:
    explicit XingJianChuangKou(QWidget *parent = nullptr);
};

#endif // TAVREL_XINGJIANCHUANGKOU_H
