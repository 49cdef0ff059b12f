// An empty Qt Widgets window, quitting once it is first painted: the reference.
#include <QApplication>
#include <QMainWindow>

namespace {
class PremierePeinture : public QObject {
protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && o->isWidgetType())
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return false;
    }
};
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow fenetre;
    PremierePeinture filtre;
    app.installEventFilter(&filtre);
    fenetre.showMaximized();
    return QApplication::exec();
}
