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
      .connectFailed = QStringLiteral("Cannot connect: {0}"),
      .connected = QStringLiteral("Connected to {0}"),
      .disconnected = QStringLiteral("Disconnected from {0}"),
      .portLost = QStringLiteral("Connection lost: {0}"),
      .loadFailed = QStringLiteral("Cannot load the trace: {0}"),
      .loaded = QStringLiteral("Loaded {0}"),
      .saveFailed = QStringLiteral("Cannot save the trace: {0}"),
      .saved = QStringLiteral("Saved {0}"),
      .folderFailed = QStringLiteral("Cannot create the save folder {0}: {1}"),
      .abandonedThen = QStringLiteral("{0}; {1}"),
      .tracesKeptIn = QStringLiteral("Traces are kept in {0}"),
      .savingUnavailable = QStringLiteral("Saving is unavailable, no folder can be written: {0}"),
      .folderTried = QStringLiteral("{0} ({1})"),
      .folderTriedSeparator = QStringLiteral("; "),
      .folderIsSystemPrograms = QStringLiteral("{0} holds the system's programs"),
      .noUserDataFolder = QStringLiteral("the system names no data folder for the user"),
      .setMarkerA = QStringLiteral("Set marker A here"),
      .setMarkerB = QStringLiteral("Set marker B here"),
      .clearMarkers = QStringLiteral("Clear markers"),
      .eventLossHere = QStringLiteral("Event loss here"),
      .showEvents = QStringLiteral("Show events"),
      .exportSor = QStringLiteral("Export SOR…"),
      .eventLossNeedsMarkers =
          QStringLiteral("Event loss: set marker A before and marker B after the event"),
      .sorDialogTitle = QStringLiteral("Export SOR"),
      .sorFilter = QStringLiteral("SOR (*.sor)"),
      .sorSaved = QStringLiteral("SOR saved: {0}"),
      .sorFailed = QStringLiteral("SOR export failed: {0}"),
      .sorNoTrace = QStringLiteral("No trace to export"),
      // Another maker's trace on screen ("viewer").
      .opening = QStringLiteral("Opening {0}…"),
      .foreignNoSave = QStringLiteral(
          "Save Cur saves the instrument's traces; another maker's SOR file is not saved as .otdr"),
      .foreignNoExport = QStringLiteral(
          "Export SOR writes the instrument's traces; another maker's SOR file is shown as read"),
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
      .connectFailed = QStringLiteral("连接失败：{0}"),
      .connected = QStringLiteral("已连接 {0}"),
      .disconnected = QStringLiteral("已断开 {0}"),
      .portLost = QStringLiteral("连接中断：{0}"),
      .loadFailed = QStringLiteral("无法读取曲线文件：{0}"),
      .loaded = QStringLiteral("已读取 {0}"),
      .saveFailed = QStringLiteral("保存失败：{0}"),
      .saved = QStringLiteral("已保存 {0}"),
      .folderFailed = QStringLiteral("无法创建保存文件夹 {0}：{1}"),
      .abandonedThen = QStringLiteral("{0}；{1}"),
      .tracesKeptIn = QStringLiteral("曲线保存在 {0}"),
      .savingUnavailable = QStringLiteral("无法保存曲线，没有可写的文件夹：{0}"),
      // The folders keep ASCII brackets: they stand among paths.
      .folderTried = QStringLiteral("{0} ({1})"),
      .folderTriedSeparator = QStringLiteral("; "),
      .folderIsSystemPrograms = QStringLiteral("{0} 是存放系统程序的文件夹"),
      .noUserDataFolder = QStringLiteral("系统没有为用户指定数据文件夹"),
      .setMarkerA = QStringLiteral("设置标记A"),
      .setMarkerB = QStringLiteral("设置标记B"),
      .clearMarkers = QStringLiteral("清除标记"),
      .eventLossHere = QStringLiteral("此处事件损耗"),
      .showEvents = QStringLiteral("显示事件"),
      .exportSor = QStringLiteral("导出SOR…"),
      .eventLossNeedsMarkers = QStringLiteral("事件损耗：请在事件之前设置标记A，之后设置标记B"),
      .sorDialogTitle = QStringLiteral("导出SOR"),
      .sorFilter = QStringLiteral("SOR (*.sor)"),
      .sorSaved = QStringLiteral("SOR已保存：{0}"),
      .sorFailed = QStringLiteral("SOR导出失败：{0}"),
      .sorNoTrace = QStringLiteral("没有可导出的曲线"),
      // Another maker's trace on screen ("viewer").
      .opening = QStringLiteral("正在打开 {0}…"),
      .foreignNoSave =
          QStringLiteral("“保存当前数据”只保存本仪器的曲线；其他厂家的 SOR 文件不能保存为 .otdr"),
      .foreignNoExport =
          QStringLiteral("“导出SOR”只导出本仪器的曲线；其他厂家的 SOR 文件按原样显示"),
  };
  return language == Language::English ? english : chinese;
}

}  // namespace tracelink
