#include "platform/spreadsheet/office.h"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <memory>

#include "platform/core/atomic_file.h"
#include "platform/core/exception.h"

namespace office {
namespace {

constexpr int DefaultTimeoutMs = 120000;
constexpr int DefaultOpenWaitMs = 5000;
// What is left of LibreOffice's own output in an error message.
constexpr int MaxOutputInMessage = 600;

int PositiveEnv(const char* name, int fallback) {
  bool ok = false;
  const int value = qEnvironmentVariableIntValue(name, &ok);
  return ok && value > 0 ? value : fallback;
}

int TimeoutMs() {
  return PositiveEnv("TYAZHAR_OFFICE_TIMEOUT_MS", DefaultTimeoutMs);
}

QString ScratchBase() {
  const QString temp = QDir::tempPath();
  for (const QChar c : temp) {
    if (c.unicode() > 127) {
      return QStringLiteral("/tmp");
    }
  }
  return temp;
}

// One profile per program run: the first call pays LibreOffice's set-up of
// a fresh profile, later ones reuse it. A run that had to be killed may
// leave the profile half written, so it is dropped then.
std::unique_ptr<QTemporaryDir>& ProfileSlot() {
  static std::unique_ptr<QTemporaryDir> profile;
  return profile;
}

QString ProfileUrl() {
  auto& profile = ProfileSlot();
  if (!profile || !profile->isValid()) {
    profile = std::make_unique<QTemporaryDir>(ScratchBase() + QStringLiteral("/tyazhar-office-XXXXXX"));
    if (!profile->isValid()) {
      throw Exception(QStringLiteral("Не удалось создать временную папку для LibreOffice: %1")
                          .arg(profile->errorString()));
    }
  }
  return QUrl::fromLocalFile(profile->path()).toString(QUrl::FullyEncoded);
}

QString OutputTail(const QByteArray& output) {
  QString text = QString::fromLocal8Bit(output).trimmed();
  if (text.size() > MaxOutputInMessage) {
    text = QStringLiteral("...") + text.right(MaxOutputInMessage);
  }
  return text;
}

// Waits for the process to end. On the program's main thread the event loop
// keeps running meanwhile, so the window stays painted through a print of
// several seconds, while the user's input waits, so nothing can start a
// second print or change the tables under the running one.
bool WaitForFinished(QProcess& process, const QDeadlineTimer& deadline) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() != app->thread()) {
    return process.waitForFinished(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)));
  }
  if (process.state() != QProcess::NotRunning) {
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)));
    // The process may have ended between the state check and the connects.
    if (process.state() != QProcess::NotRunning) {
      loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
  }
  return process.state() == QProcess::NotRunning;
}

// The code the process ended with; -1 when it crashed.
int ExitCode(const QProcess& process) {
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Runs soffice headless with the arguments and returns its output; raises
// Exception when it cannot start, fails or outlives the time limit.
QByteArray RunSoffice(const QStringList& arguments) {
  QString reason;
  const QString soffice = FindSoffice(&reason);
  if (soffice.isEmpty()) {
    throw Exception(reason);
  }
  QDeadlineTimer deadline(TimeoutMs());
  QProcess process;
  process.setProgram(soffice);
  process.setArguments(QStringList{QStringLiteral("-env:UserInstallation=") + ProfileUrl(),
                                   QStringLiteral("--headless"), QStringLiteral("--invisible"),
                                   QStringLiteral("--nologo"), QStringLiteral("--norestore"),
                                   QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck")} +
                       arguments);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setStandardInputFile(QProcess::nullDevice());
  // It writes its own temporary files there, the PDF among them.
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TMPDIR"), ScratchBase());
  process.setProcessEnvironment(env);
  // soffice hands the work to child processes of its own; a group of their
  // own lets a timeout end all of them, not just the first.
  process.setChildProcessModifier([] { ::setsid(); });
  process.start();
  if (!process.waitForStarted(static_cast<int>(deadline.remainingTime()))) {
    throw Exception(
        QStringLiteral("Не удалось запустить LibreOffice (%1): %2").arg(soffice, process.errorString()));
  }
  const qint64 group = process.processId();
  if (!WaitForFinished(process, deadline)) {
    ::kill(static_cast<pid_t>(-group), SIGKILL);
    process.waitForFinished(5000);
    ProfileSlot().reset();
    throw Exception(
        QStringLiteral("LibreOffice не завершил работу за %1 с и был остановлен").arg(TimeoutMs() / 1000.0));
  }
  const QByteArray output = process.readAll();
  if (const int code = ExitCode(process); code != 0) {
    throw Exception(
        QStringLiteral("LibreOffice завершился с ошибкой (код %1): %2").arg(code).arg(OutputTail(output)));
  }
  return output;
}

// The last line the process wrote: where a failing command says why.
QString LastLine(const QByteArray& output) {
  return QString::fromLocal8Bit(output).trimmed().section(u'\n', -1).trimmed();
}

}  // namespace

std::unique_ptr<QTemporaryDir> NewScratchFolder() {
  auto folder = std::make_unique<QTemporaryDir>(ScratchBase() + QStringLiteral("/tyazhar-XXXXXX"));
  if (!folder->isValid()) {
    throw Exception(QStringLiteral("Не удалось создать временную папку: %1").arg(folder->errorString()));
  }
  return folder;
}

QString FindSoffice(QString* reason) {
  const QString configured = qEnvironmentVariable("TYAZHAR_SOFFICE");
  if (!configured.isEmpty()) {
    const QString found = configured.contains(u'/') ? configured : QStandardPaths::findExecutable(configured);
    const QFileInfo info(found);
    if (!found.isEmpty() && info.isFile() && info.isExecutable()) {
      return info.absoluteFilePath();
    }
    if (reason) {
      *reason = QStringLiteral("Не найдена программа LibreOffice \"%1\" (TYAZHAR_SOFFICE)").arg(configured);
    }
    return {};
  }
  for (const char* name : {"soffice", "libreoffice"}) {
    const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (!found.isEmpty()) {
      return found;
    }
  }
  if (reason) {
    *reason =
        QStringLiteral("Не найдена программа LibreOffice (soffice). Для печати установите LibreOffice Calc");
  }
  return {};
}

void RequireDefaultPrinter() {
  // soffice -p prints nothing and still ends with success when there is no
  // printer, so the print system is asked first: the secretary must not
  // wait for a protocol that never comes out.
  const QString lpstat = QStandardPaths::findExecutable(QStringLiteral("lpstat"));
  if (lpstat.isEmpty()) {
    throw Exception(
        QStringLiteral("Не найдена система печати (lpstat): принтер недоступен. "
                       "Чтобы получить протокол файлом PDF, задайте TYAZHAR_PRINT_TO"));
  }
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
  process.setProcessEnvironment(env);
  process.setStandardInputFile(QProcess::nullDevice());
  process.start(lpstat, {QStringLiteral("-d")});
  const QDeadlineTimer deadline(10000);
  const bool finished = process.waitForStarted(10000) && WaitForFinished(process, deadline);
  const QString answer = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
  if (!finished || !answer.startsWith(QStringLiteral("system default destination:"))) {
    if (!finished) {
      process.kill();
      process.waitForFinished(1000);
    }
    throw Exception(
        QStringLiteral("Не задан принтер по умолчанию. "
                       "Чтобы получить протокол файлом PDF, задайте TYAZHAR_PRINT_TO"));
  }
}

void PrintFile(const QString& xlsxPath) {
  RequireDefaultPrinter();
  RunSoffice({QStringLiteral("-p"), xlsxPath});
}

void ConvertToPdf(const QString& xlsxPath, const QString& pdfPath) {
  const auto outFolder = NewScratchFolder();
  const QByteArray output = RunSoffice({QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                                        QStringLiteral("--outdir"), outFolder->path(), xlsxPath});
  // soffice reports a document it could not load on its output and still
  // ends with success: the missing PDF is what tells.
  QFile pdf(outFolder->filePath(QFileInfo(xlsxPath).completeBaseName() + QStringLiteral(".pdf")));
  if (!pdf.open(QIODevice::ReadOnly)) {
    throw Exception(QStringLiteral("LibreOffice не создал PDF: %1").arg(OutputTail(output)));
  }
  QString error;
  if (!WriteFileAtomically(pdfPath, pdf.readAll(), &error)) {
    throw EWriteError(QStringLiteral("Не удалось записать файл %1: %2").arg(pdfPath, error));
  }
}

void OpenOnDesktop(const QString& path) {
  const QString configured = qEnvironmentVariable("TYAZHAR_OPEN_WITH");
  QStringList command =
      QProcess::splitCommand(configured.isEmpty() ? QStringLiteral("xdg-open") : configured);
  if (command.isEmpty()) {
    throw Exception(QStringLiteral("TYAZHAR_OPEN_WITH не задаёт программу"));
  }
  const QString program = command.takeFirst();
  command << path;
  auto process = std::make_unique<QProcess>();
  process->setProgram(program);
  process->setArguments(command);
  process->setProcessChannelMode(QProcess::MergedChannels);
  process->setStandardInputFile(QProcess::nullDevice());
  // The spreadsheet program it starts belongs to the user's desktop, not to
  // this program's terminal: it stays when the program ends.
  process->setChildProcessModifier([] { ::setsid(); });
  const QDeadlineTimer deadline(PositiveEnv("TYAZHAR_OPEN_WAIT_MS", DefaultOpenWaitMs));
  process->start();
  if (!process->waitForStarted(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)))) {
    throw Exception(QStringLiteral("Не удалось запустить %1: %2").arg(program, process->errorString()));
  }
  if (!WaitForFinished(*process, deadline)) {
    // It waits for the program it started, which has the workbook: it is let
    // go, its output read away so that it never blocks on a full pipe.
    QProcess* running = process.release();
    running->setParent(QCoreApplication::instance());
    QObject::connect(running, &QProcess::readyReadStandardOutput, running, [running] { running->readAll(); });
    QObject::connect(running, &QProcess::finished, running, &QObject::deleteLater);
    running->readAll();
    return;
  }
  if (const int code = ExitCode(*process); code != 0) {
    const QString said = LastLine(process->readAll());
    throw Exception(
        QStringLiteral("Программа %1 завершилась с ошибкой (код %2)%3")
            .arg(program, QString::number(code), said.isEmpty() ? QString() : QStringLiteral(": ") + said));
  }
}

}  // namespace office
