#include "neighbourhood/computer_list.h"
#include "neighbourhood/net_enum_thread.h"
#include "platform/cp1251.h"
#include "platform/net_resources.h"
#include "platform/services.h"

#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace {

// The dynamic property on a tree that names the walk that owns it now.
constexpr char kOwnerProperty[] = "netEnumWalk";

// A window's tree and refresh button. A walk whose tree is gone, or that a newer walk of the
// same tree has superseded, touches nothing any more: the nodes it holds may be deleted.
class TreeTarget final : public INetEnumTarget {
public:
    explicit TreeTarget(NetEnumTarget target) : tree_(target.tree), button_(target.refreshb) {}

    bool startEnum() override {
        if (!tree_)
            return false;
        static quint64 lastWalk = 0; // UI thread only
        walk_ = ++lastWalk;
        tree_->setProperty(kOwnerProperty, walk_);
        tree_->clear();
        if (button_)
            button_->setEnabled(false);
        return true;
    }

    bool addNode(NetTreeNode* parent, const QByteArray& text, NetTreeNode*& added) override {
        if (!owned())
            return false;
        auto* parentItem = reinterpret_cast<QTreeWidgetItem*>(parent);
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(tree_);
        item->setText(0, fromCp1251(text));
        added = reinterpret_cast<NetTreeNode*>(item);
        return true;
    }

    bool finishEnum() override {
        if (!owned())
            return false;
        tree_->expandAll();
        if (button_)
            button_->setEnabled(true);
        return true;
    }

private:
    bool owned() const { return tree_ && tree_->property(kOwnerProperty).toULongLong() == walk_; }

    QPointer<QTreeWidget> tree_;
    QPointer<QPushButton> button_;
    quint64 walk_ = 0;
};

INetResources& provider() {
    static EmptyNetResources none;
    INetResources* installed = services().netResources.get();
    return installed ? *installed : none;
}

} // namespace

void startNetEnum(NetEnumTarget target) {
    TNetEnumThread::start(std::make_unique<TreeTarget>(target), provider());
}
