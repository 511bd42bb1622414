// The key queue: the scripted double, and the Qt service taking the first pending key event off
// the queue (not delivered) while the other input waiting with it is delivered afterwards, in
// order.
#include "platform/keyqueue.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>
#include <QPointingDevice>
#include <gtest/gtest.h>
#include <vector>

namespace {

class Recorder : public QObject {
public:
    std::vector<int> keys; // Qt key of each key press received
    int mousePresses = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::KeyPress) keys.push_back(static_cast<QKeyEvent*>(e)->key());
        if (e->type() == QEvent::MouseButtonPress) ++mousePresses;
        return QObject::event(e);
    }
};

void PostKey(QObject* Receiver, int Key, QEvent::Type Type = QEvent::KeyPress) {
    QCoreApplication::postEvent(Receiver, new QKeyEvent(Type, Key, Qt::NoModifier));
}

TEST(KeyQueue, TheTestDoubleGivesTheScriptedKeysInOrder) {
    TTestKeyQueue queue;
    queue.Push(VK_ESCAPE);
    queue.Push('A', false);
    const std::optional<TPendingKey> first = TakePendingKey();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Key, VK_ESCAPE);
    EXPECT_TRUE(first->KeyDown);
    const std::optional<TPendingKey> second = TakePendingKey();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Key, 'A');
    EXPECT_FALSE(second->KeyDown);
    EXPECT_FALSE(TakePendingKey());
    EXPECT_EQ(queue.Looks(), 3);
    EXPECT_EQ(queue.Pending(), 0);
}

TEST(KeyQueue, TheDoublesNestAndPutThePreviousServiceBack) {
    TTestKeyQueue outer;
    outer.Push(VK_RETURN);
    {
        TTestKeyQueue inner;
        EXPECT_FALSE(TakePendingKey());
        EXPECT_EQ(inner.Looks(), 1);
    }
    const std::optional<TPendingKey> key = TakePendingKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(key->Key, VK_RETURN);
}

TEST(KeyQueue, TheQtServiceTakesTheFirstPendingKeyWithoutDeliveringIt) {
    Recorder target;
    PostKey(&target, Qt::Key_Escape);
    const std::optional<TPendingKey> key = TakePendingKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(key->Key, VK_ESCAPE);
    EXPECT_TRUE(key->KeyDown);
    QCoreApplication::processEvents();
    EXPECT_TRUE(target.keys.empty());
    // Nothing pending: no key.
    EXPECT_FALSE(TakePendingKey());
}

TEST(KeyQueue, TheQtServiceTellsAKeyUp) {
    Recorder target;
    PostKey(&target, Qt::Key_Escape, QEvent::KeyRelease);
    const std::optional<TPendingKey> key = TakePendingKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(key->Key, VK_ESCAPE);
    EXPECT_FALSE(key->KeyDown);
}

TEST(KeyQueue, OtherInputWaitingMeanwhileIsDeliveredAfterwardsInOrder) {
    Recorder target;
    PostKey(&target, Qt::Key_A);
    PostKey(&target, Qt::Key_B);
    QCoreApplication::postEvent(&target, new QMouseEvent(QEvent::MouseButtonPress, QPointF(1, 1),
                                                         QPointF(1, 1), Qt::LeftButton,
                                                         Qt::LeftButton, Qt::NoModifier));
    PostKey(&target, Qt::Key_C);
    const std::optional<TPendingKey> key = TakePendingKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(key->Key, 'A');
    // Held back during the look: no handler ran inside it.
    EXPECT_TRUE(target.keys.empty());
    EXPECT_EQ(target.mousePresses, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(target.keys, (std::vector<int>{Qt::Key_B, Qt::Key_C}));
    EXPECT_EQ(target.mousePresses, 1);
}

} // namespace
