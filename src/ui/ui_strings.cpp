#include "ui/ui_strings.h"

namespace tracelink {

const UiStrings& uiStrings(Language language) {
  static const UiStrings english{
      QStringLiteral("vt520X v1.1"),
      QStringLiteral("CONNECT"),
      QStringLiteral("BREAK"),
      QStringLiteral("Upload Cur"),
      QStringLiteral("Save Cur"),
      QStringLiteral("Upload All"),
      QStringLiteral("Print"),
      QStringLiteral("Back Colour"),
      QStringLiteral("File"),
      QStringLiteral("IOR:"),
      QStringLiteral("No datas!"),
      QStringLiteral("Save trace"),
      QStringLiteral("OTDR (*.otdr)"),
      QStringLiteral("Cannot connect: %1"),
      QStringLiteral("Connected to %1"),
      QStringLiteral("Disconnected from %1"),
      QStringLiteral("Connection lost: %1"),
      QStringLiteral("Cannot load the trace: %1"),
      QStringLiteral("Loaded %1"),
      QStringLiteral("Cannot save the trace: %1"),
      QStringLiteral("Saved %1"),
      QStringLiteral("Cannot create the save folder %1: %2"),
      QStringLiteral("Traces are kept in %1"),
      QStringLiteral("Saving is unavailable, no folder can be written: %1"),
  };
  static const UiStrings chinese{
      QStringLiteral("vt520X v1.1"),   QStringLiteral("连接仪表"),
      QStringLiteral("断开连接"),      QStringLiteral("上传当前数据"),
      QStringLiteral("保存当前数据"),  QStringLiteral("上传存储器数据"),
      QStringLiteral("打印"),          QStringLiteral("背景颜色"),
      QStringLiteral("文件"),          QString(),
      QStringLiteral("无数据！"),      QStringLiteral("保存曲线"),
      QStringLiteral("OTDR (*.otdr)"), QStringLiteral("连接失败：%1"),
      QStringLiteral("已连接 %1"),     QStringLiteral("已断开 %1"),
      QStringLiteral("连接中断：%1"),  QStringLiteral("无法读取曲线文件：%1"),
      QStringLiteral("已读取 %1"),     QStringLiteral("保存失败：%1"),
      QStringLiteral("已保存 %1"),     QStringLiteral("无法创建保存文件夹 %1：%2"),
      QStringLiteral("曲线保存在 %1"), QStringLiteral("无法保存曲线，没有可写的文件夹：%1"),
  };
  return language == Language::English ? english : chinese;
}

}  // namespace tracelink
