#include "AppTestSupport.h"

#include "calendar_view/ChnCalendarPicker.h"
#include "notes/NoteStore.h"
#include "paths/AppPath.h"
#include "platform/WallpaperInstaller.h"
#include "richtext/RtfCodec.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <unistd.h>

namespace tavemo::app::test {

double dateTime(int year, int month, int day, int hour, int minute)
{
    double date = 0, time = 0;
    EXPECT_TRUE(engine::tryEncodeDate(year, month, day, date));
    EXPECT_TRUE(engine::tryEncodeTime(hour, minute, 0, 0, time));
    return date + time;
}

namespace {

// The desktop as the checks see it: keeps what it is given, refuses when told to.
class StandInDesktop final : public platform::WallpaperInstaller {
public:
    explicit StandInDesktop(Recorder& recorder) : m_recorder(recorder) {}
    QString name() const override { return QStringLiteral("stand-in desktop"); }
    Outcome SetWallpaper(const QString& path) override
    {
        if (!m_recorder.installRefusal.isEmpty())
            return Outcome::failedSaying(Failure::Refused, m_recorder.installRefusal);
        m_recorder.installed << path;
        return {};
    }

private:
    Recorder& m_recorder;
};

} // namespace

void onNextModal(std::function<void(QWidget* dialog)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, waited] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible()) {
            if (++*waited > 500) { // no dialog came within 5 s: the check fails on its own
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        act(dialog);
    });
    timer->start();
}

Environment Recorder::environment()
{
    Environment env;
    env.now = [this] { return now; };
    env.chooseColor = [this](QWidget*, const QColor& initial) {
        colorDialogStarts << initial;
        return colorAnswer;
    };
    env.chooseFont = [this](QWidget*, const ChosenFont& initial) {
        fontDialogStarts << initial;
        return fontAnswer;
    };
    env.choosePictures = [this](QWidget*) {
        ++pictureDialogs;
        return pictureAnswers.isEmpty() ? QStringList() : pictureAnswers.takeFirst();
    };
    env.makeWallpaperInstaller = [this]() -> std::unique_ptr<platform::WallpaperInstaller> {
        if (!hasDesktop)
            return nullptr;
        return std::make_unique<StandInDesktop>(*this);
    };
    env.openUrl = [this](const QUrl& url) { openedUrls << url; };
    env.showMessage = [this](QWidget*, const QString& text, const QString& detail) {
        messages << (detail.isEmpty() ? text : text + u'\n' + detail);
    };
    env.primaryScreen = [this] { return primary; };
    env.screens = [this] { return screens; };
    env.quit = [this] { ++quits; };
    return env;
}

AppDir::AppDir()
{
    bool created = false;
    const Outcome result = notes::NoteStore::create(paths::noteDatabasePath(path()), &created);
    EXPECT_TRUE(result.ok() && created) << result.detail.toStdString();
}

QString AppDir::file(const QString& relative) const { return paths::appPath(path(), relative); }

QByteArray AppDir::read(const QString& relative) const
{
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void AppDir::write(const QString& relative, const QByteArray& bytes) const
{
    QFile f(file(relative));
    QDir().mkpath(QFileInfo(f.fileName()).absolutePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << f.fileName().toStdString();
    f.write(bytes);
}

bool AppDir::exists(const QString& relative) const { return QFileInfo::exists(file(relative)); }

std::optional<QString> AppDir::noteText(const QString& key) const
{
    std::unique_ptr<notes::NoteStore> store;
    const Outcome opened =
        notes::NoteStore::open(paths::noteDatabasePath(path()), notes::NoteStore::Access::ReadOnly, &store);
    EXPECT_TRUE(opened.ok()) << opened.detail.toStdString();
    std::optional<QByteArray> note;
    if (!store || !store->load(key, &note).ok() || !note)
        return std::nullopt;
    QTextDocument document;
    richtext::readRtf(*note, document);
    return document.toPlainText();
}

void AppDir::putNote(const QString& key, const QString& text) const
{
    std::unique_ptr<notes::NoteStore> store;
    const Outcome opened =
        notes::NoteStore::open(paths::noteDatabasePath(path()), notes::NoteStore::Access::ReadWrite, &store);
    ASSERT_TRUE(opened.ok()) << opened.detail.toStdString();
    const Outcome saved = store->save(key, text.toUtf8());
    ASSERT_TRUE(saved.ok()) << saved.detail.toStdString();
}

void AppDir::sql(const QString& statement) const
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(paths::noteDatabasePath(path())).constData(), &db), SQLITE_OK);
    char* message = nullptr;
    const int rc = sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

Program::Program(const AppDir& dir, Recorder& recorder, bool show)
{
    const notes::OpenResult opened = dm.DataModuleCreate(dir.path());
    EXPECT_TRUE(opened.ok()) << opened.detail.toStdString();
    frm = std::make_unique<TMainFrm>(dm, dir.path(), recorder.environment());
    frm->FormCreate();
    frm->createWallpaperDialogs();
    if (show) {
        frm->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    }
}

Program::~Program() { frm.reset(); }

void Program::focusEditor()
{
    frm->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    find<QTextEdit>(*frm, "rdtAbc")->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(find<QTextEdit>(*frm, "rdtAbc")->hasFocus());
}

void Program::type(const QString& text)
{
    QTextEdit& e = editor();
    QTextCursor end = e.textCursor();
    end.movePosition(QTextCursor::End);
    e.setTextCursor(end);
    // Each character its own key press, and so its own change, as typed.
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&e, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&e, &release);
    }
}

void Program::selectDate(double value) { find<calendar_view::TChnCalendar>(*frm, "chnCalendar")->setDateTime(value); }

void closePopups()
{
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

QString installProgram(const AppDir& dir)
{
    const QString built = QStringLiteral(TAVEMO_APP_DIR "/tavemo-calendar");
    const QString target = dir.path() + QStringLiteral("/tavemo-calendar");
    // A hard link where the folders share a file system (the program finds its folder through it).
    if (::link(QFile::encodeName(built).constData(), QFile::encodeName(target).constData()) != 0) {
        EXPECT_TRUE(QFile::copy(built, target));
    }
    return target;
}

} // namespace tavemo::app::test
