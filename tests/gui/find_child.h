#pragma once
// Finds a window's control by its object name, failing the test when it is not there.

#include <QString>
#include <QWidget>
#include <gtest/gtest.h>

namespace zorvik::testing {

template <typename W>
W* find_child(const QWidget* root, const QString& name)
{
    W* w = root->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
}

} // namespace zorvik::testing
