#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

// The named look of the whole program. A name selects the skin kept in the folder
// <SkinDirectory>/<name> beside the program when that folder holds "Options.dat" (its look is
// the style sheet "skin.qss" there, if any), else the built-in skin of that name, else the first
// built-in skin. The name stays as it was set, so it is saved back unchanged.
class TsSkinManager : public QObject {
    Q_OBJECT
public:
    explicit TsSkinManager(QObject* parent);

    QString SkinDirectory() const { return skinDirectory_; }
    void setSkinDirectory(const QString& dir);

    QByteArray SkinName() const { return skinName_; }
    // Applies the named skin to the application at once.
    void setSkinName(const QByteArray& name);

    // What is drawn now: the folder of a skin on disk, or the name of a built-in skin.
    QString appliedSkin() const { return applied_; }

    static QStringList builtInSkins();

private:
    QString skinFolder(const QByteArray& name) const;
    void apply();

    QString skinDirectory_ = QStringLiteral("Skins");
    QByteArray skinName_ = QByteArrayLiteral("Chatterwick 2");
    QString applied_;
};
