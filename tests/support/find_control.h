// Finding a window's controls as assistive tools do: by their object names, which are their design
// names ("Command8", "Image35(6)" for element 6 of a control array). A missing control fails the
// test with its name instead of crashing it.
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <initializer_list>
#include <stdexcept>
#include <vector>

namespace korvalin {

template <class T>
T* Find(const QObject& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (!found) throw std::runtime_error("no control named " + name.toStdString());
    return found;
}

// Element `index` of a control array.
template <class T>
T* Find(const QObject& window, const QString& name, int index) {
    return Find<T>(window, QStringLiteral("%1(%2)").arg(name).arg(index));
}

// Every element of a control array, from index 0 up.
template <class T>
std::vector<T*> FindAll(const QObject& window, const QString& name) {
    std::vector<T*> all;
    while (T* element = window.findChild<T*>(QStringLiteral("%1(%2)").arg(name).arg(all.size())))
        all.push_back(element);
    if (all.empty()) throw std::runtime_error("no control array named " + name.toStdString());
    return all;
}

// Several controls of any kind, by name ("Picture9(0)" for an array element), in the order given.
inline std::vector<QWidget*> FindWidgets(const QObject& window, std::initializer_list<const char*> names) {
    std::vector<QWidget*> found;
    for (const char* name : names) found.push_back(Find<QWidget>(window, QString::fromUtf8(name)));
    return found;
}

} // namespace korvalin
