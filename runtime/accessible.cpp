#include "runtime/accessible.h"

#include <QAccessibleWidget>

#include "runtime/controls.h"

namespace rt {
namespace {

class LabelAccessible : public QAccessibleWidget {
  public:
    explicit LabelAccessible(TransparentLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}
    QAccessible::Role role() const override {
        return static_cast<TransparentLabel*>(widget())->announced() ? QAccessible::AlertMessage
                                                                     : QAccessible::StaticText;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<TransparentLabel*>(widget())->caption();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* accessibleFor(const QString& key, QObject* object) {
    if (key == QLatin1String("rt::TransparentLabel"))
        return new LabelAccessible(static_cast<TransparentLabel*>(object));
    if (key == QLatin1String("rt::SeparatorBar"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Separator);
    return nullptr;
}

}  // namespace

void installAccessibleKinds() {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFor);
        return true;
    }();
    Q_UNUSED(installed);
}

}  // namespace rt
