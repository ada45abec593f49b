#include "ui/ui_strings.h"

namespace tracelink {

// Initialised by field name: moving a field can never swap two captions.
const UiStrings& uiStrings(Language language) {
  static const UiStrings english{
      .windowTitle = QStringLiteral("vt520X v1.1"),
      .connect = QStringLiteral("CONNECT"),
      .disconnect = QStringLiteral("BREAK"),
      .uploadCurrent = QStringLiteral("Upload Cur"),
      .saveCurrent = QStringLiteral("Save Cur"),
      .uploadAll = QStringLiteral("Upload All"),
      .print = QStringLiteral("Print"),
      .backColour = QStringLiteral("Back Colour"),
      .fileHeading = QStringLiteral("File"),
      .label1AtStart = QStringLiteral("IOR:"),
      .noDatas = QStringLiteral("No datas!"),
      .saveDialogTitle = QStringLiteral("Save trace"),
      .saveFilter = QStringLiteral("OTDR (*.otdr)"),
      .connectFailed = QStringLiteral("Cannot connect: %1"),
      .connected = QStringLiteral("Connected to %1"),
      .disconnected = QStringLiteral("Disconnected from %1"),
      .portLost = QStringLiteral("Connection lost: %1"),
      .loadFailed = QStringLiteral("Cannot load the trace: %1"),
      .loaded = QStringLiteral("Loaded %1"),
      .saveFailed = QStringLiteral("Cannot save the trace: %1"),
      .saved = QStringLiteral("Saved %1"),
      .folderFailed = QStringLiteral("Cannot create the save folder %1: %2"),
      .abandonedThen = QStringLiteral("%1; %2"),
      .tracesKeptIn = QStringLiteral("Traces are kept in %1"),
      .savingUnavailable = QStringLiteral("Saving is unavailable, no folder can be written: %1"),
      .folderIsSystemPrograms = QStringLiteral("%1 holds the system's programs"),
      .folderIsNotAFolder = QStringLiteral("not a folder"),
      .noUserDataFolder = QStringLiteral("the system names no data folder for the user"),
  };
  static const UiStrings chinese{
      .windowTitle = QStringLiteral("vt520X v1.1"),
      .connect = QStringLiteral("连接仪表"),
      .disconnect = QStringLiteral("断开连接"),
      .uploadCurrent = QStringLiteral("上传当前数据"),
      .saveCurrent = QStringLiteral("保存当前数据"),
      .uploadAll = QStringLiteral("上传存储器数据"),
      .print = QStringLiteral("打印"),
      .backColour = QStringLiteral("背景颜色"),
      .fileHeading = QStringLiteral("文件"),
      .label1AtStart = QString(),
      .noDatas = QStringLiteral("无数据！"),
      .saveDialogTitle = QStringLiteral("保存曲线"),
      .saveFilter = QStringLiteral("OTDR (*.otdr)"),
      .connectFailed = QStringLiteral("连接失败：%1"),
      .connected = QStringLiteral("已连接 %1"),
      .disconnected = QStringLiteral("已断开 %1"),
      .portLost = QStringLiteral("连接中断：%1"),
      .loadFailed = QStringLiteral("无法读取曲线文件：%1"),
      .loaded = QStringLiteral("已读取 %1"),
      .saveFailed = QStringLiteral("保存失败：%1"),
      .saved = QStringLiteral("已保存 %1"),
      .folderFailed = QStringLiteral("无法创建保存文件夹 %1：%2"),
      .abandonedThen = QStringLiteral("%1；%2"),
      .tracesKeptIn = QStringLiteral("曲线保存在 %1"),
      .savingUnavailable = QStringLiteral("无法保存曲线，没有可写的文件夹：%1"),
      .folderIsSystemPrograms = QStringLiteral("%1 是存放系统程序的文件夹"),
      .folderIsNotAFolder = QStringLiteral("不是文件夹"),
      .noUserDataFolder = QStringLiteral("系统没有为用户指定数据文件夹"),
  };
  return language == Language::English ? english : chinese;
}

}  // namespace tracelink
