#include "editor/xingjianchuangkou.h"

XingJianChuangKou::XingJianChuangKou(QWidget *parent) : QDialog(parent) {}
