#ifndef TAVREL_STORAGEFILE_H
#define TAVREL_STORAGEFILE_H

#include <QString>
#include <QStringList>

// The storage file's names, keys and words, and the rules that read and compose its lines.
// Everything here works on strings only, so it is tested without widgets or files.
namespace StorageFile {

inline const QString kFileName = QStringLiteral("/Tavrel存储文件.txt");
inline const QString kMigrationFileName = QStringLiteral("/new_Tavrel存储文件.txt");

inline const QString kCountKey = QStringLiteral("数量");
inline const QString kBackgroundKey = QStringLiteral("背景图片");
inline const QString kIndexKey = QStringLiteral("序号");
inline const QString kTypeKey = QStringLiteral("类型");
inline const QString kNameKey = QStringLiteral("名称");
inline const QString kTimeKey = QStringLiteral("时间");
inline const QString kRepeatKey = QStringLiteral("每周重复");
inline const QString kSoundKey = QStringLiteral("声音文件");
inline const QString kCommandKey = QStringLiteral("命令文件");
inline const QString kLoopKey = QStringLiteral("重复闹铃");
inline const QString kStateKey = QStringLiteral("状态");

inline const QString kAlarm = QStringLiteral("闹钟");
inline const QString kTimer = QStringLiteral("计时器");
inline const QString kOn = QStringLiteral("开启");
inline const QString kOff = QStringLiteral("关闭");
inline const QString kYes = QStringLiteral("是");
inline const QString kNo = QStringLiteral("否");
inline const QString kDefaultSound = QStringLiteral("默认响铃");
inline const QString kNone = QStringLiteral("无");
inline const QString kDefaultSoundUrl = QStringLiteral("qrc:/res/默认响铃.mp3");

inline const QString kStateOffLine = QStringLiteral("状态,关闭");
inline const QString kStateOnLine = QStringLiteral("状态,开启");

constexpr int kRecordLines = 9;
constexpr int kMaxEntries = 20;

// Positions in the 18-string entry record list when all nine lines are well formed.
enum RecordPos
{
    PosIndex = 1,
    PosType = 3,
    PosName = 5,
    PosTime = 7,
    PosRepeat = 9,
    PosSound = 11,
    PosCommand = 13,
    PosLoop = 15,
    PosState = 17
};

// The seven weekday names, Monday first.
const QStringList &weekdayNames();

// "a,,b" -> ["a", "", "b"]: empty fields are kept, nothing is quoted.
QStringList splitFields(const QString &line);

// Decimal conversion where unreadable text counts as 0.
int toIntOrZero(const QString &text);

struct Header
{
    int fieldCount = 0;
    int count = 0; // field 2 as an integer; 0 when absent or unreadable
    bool countReadable = false;
    QString field3;     // copied by writers as read
    QString background; // fields 4..n joined again; empty with three fields or fewer
};
Header parseHeader(const QString &line);
QString composeHeader(int count, const QString &background, const QString &field3 = kBackgroundKey);
QString newFileContent();

// Value of record line k (1..9): field 2, or fields 2..n on the name, sound and command lines.
bool keepsCommas(int recordLine);
QString recordValue(const QString &line, int recordLine);

// The 18-string list key1, value1 ... key9, value9; a line without a comma adds nothing.
QStringList readRecord(const QStringList &nineLines);

// The nine lines of one entry, in file order.
struct Entry
{
    int number = 1;
    QString type = kAlarm;
    QString name;
    QString time;
    QString repeat = kNo;
    QString sound = kDefaultSound;
    QString command = kNone;
    QString loop = kNo;
    QString state = kOff;
};
QStringList composeRecord(const Entry &entry);

// "否" -> ["否"]; "星期一|星期五" -> both days; a single day name -> itself.
QStringList repeatDays(const QString &value);
QString joinRepeatDays(const QStringList &days);

} // namespace StorageFile

#endif // TAVREL_STORAGEFILE_H
