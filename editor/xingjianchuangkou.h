#ifndef TAVREL_XINGJIANCHUANGKOU_H
#define TAVREL_XINGJIANCHUANGKOU_H

#include "storage/storagefile.h"

#include <QDialog>
#include <QMediaPlayer>
#include <QStringList>

class MainWindow;
class QCheckBox;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QMediaPlaylist;
class QPushButton;
class QTimeEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The dialog that creates and edits one entry. It has no layout managers: every widget sits at a
// fixed place, and opening the repeat list moves the lower half of the dialog down by 70 pixels.
class XingJianChuangKou : public QDialog
{
    Q_OBJECT

public:
    explicit XingJianChuangKou(QWidget *parent = nullptr);
    ~XingJianChuangKou() override;

    void BianJiChuanRu(int position, QString type, QString name, QString time, QString repeat, QString sound,
                       QString command, QString loop, QString state);

    int editFlag() const { return m_editFlag; }
    void setEditFlag(int flag) { m_editFlag = flag; }

signals:
    void sendObject(QObject *button);

protected:
    void closeEvent(QCloseEvent *event) override;

public slots:
    void reject() override; // Escape leaves like "关闭": reset, and no half-edited entry survives

private slots: // declaration order is part of the meta-object layout; keep it
    void NaoZhongAnXia();
    void JiShiQiAnXia();
    void Qtw_ChongFuDianJi(QTreeWidgetItem *item);
    void XuanZeKuang();
    void BoFang();
    void Qmp_BoFang_ZhuangTaiGaiBian(QMediaPlayer::MediaStatus status);
    void Qpb_BaoCun_DianJi();
    void Qpb_GuanBi_DianJi();
    void HuanYuanKongJian();
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createWidgets();
    void nameWidgets();
    void setUpWidgets();
    void fillRepeatList();
    void connectSignals();
    void placeLowerHalf(bool expanded);
    void showAlarmLook();
    void showTimerLook();
    void showSummary(const QStringList &columns);
    void clearWeekdays();
    void collapseRepeatList();
    void setWeekdaysVisible(bool visible);
    QList<QCheckBox *> weekdayBoxes() const;
    QStringList checkedDays() const;
    void loadTime(const QString &type, const QString &time);
    void loadRepeat(const QString &type, const QString &repeat);
    bool loadChosenFile(QPushButton *button, QStringList &chosen, const QString &path);
    void showChosenFile(QPushButton *button, const QString &path);
    void chooseFile(QPushButton *button);
    StorageFile::Entry composeEntry() const;
    int saveNew(const StorageFile::Entry &entry);  // the saved row, or -1 when refused
    int saveEdit(const StorageFile::Entry &entry); // the same

    int m_editFlag = 0;
    int m_repeatListOpen = 0;
    int m_previewPlaying = 0;
    int m_editPosition = -1;
    QString m_keptState;
    QPushButton *qpb_NaoZhong = nullptr;
    QPushButton *qpb_JiShiQi = nullptr;
    QLabel *ql_MingCheng = nullptr;
    QLineEdit *qle_MingCheng = nullptr;
    QLabel *ql_ShiJian = nullptr;
    QTimeEdit *qte_ShiJian = nullptr;
    QLabel *ql_TiShi = nullptr;
    QTreeWidget *qtw_ChongFu = nullptr;
    QCheckBox *qcb_XingQiYi = nullptr;
    QCheckBox *qcb_XingQiEr = nullptr;
    QCheckBox *qcb_XingQiSan = nullptr;
    QCheckBox *qcb_XingQiSi = nullptr;
    QCheckBox *qcb_XingQiWu = nullptr;
    QCheckBox *qcb_XingQiLiu = nullptr;
    QCheckBox *qcb_XingQiRi = nullptr;
    QTreeWidgetItem *qtwi_ChongFu = nullptr;
    QTreeWidgetItem *qtwi_ChongFu1 = nullptr;
    QTreeWidgetItem *qtwi_ChongFu2 = nullptr;
    QTreeWidgetItem *qtwi_ChongFu3 = nullptr;
    QLabel *ql_JingGao = nullptr;
    QLabel *ql_BoFangXiangLing = nullptr;
    QPushButton *qpb_ShengYinWenJian = nullptr;
    QPushButton *qpb_BoFang = nullptr;
    QCheckBox *qcb_FanFuNaoLing = nullptr;
    QMediaPlayer *qmp_BoFang = nullptr;
    QMediaPlaylist *qmpl_BoFang = nullptr; // no parent: deleted by the destructor
    QStringList m_chosenSounds;
    QPushButton *qpb_BaoCun = nullptr;
    QPushButton *qpb_GuanBi = nullptr;
    QPushButton *qpb_MingLingWenJian = nullptr;
    QStringList m_chosenCommands;
    QLabel *ql_ZhiXingWenJian = nullptr;
    MainWindow *m_mainWindow = nullptr;
};

#endif // TAVREL_XINGJIANCHUANGKOU_H
