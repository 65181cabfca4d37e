#pragma once

#include "params/ListItem.h"
#include "params/Parameter.h"

#include <QList>

namespace KelUtils {

// One choice among (id, name) items (type 7). The value is the chosen item's id, held in the
// caller's int (a node binds a member) or in the parameter's own int. Selection, storage and
// setValue go by id; the position only orders the items for display. Lookups take the first
// item with a matching id.
class ListParameter : public Parameter
{
public:
    // Copies count items (none when items is null or count < 1). The item with defaultId becomes
    // current (the last one when several carry it) and its id is written to the value; without
    // such an item nothing is chosen and the value is not written.
    ListParameter(QString const& name, QString const& text, IParameterContainer* container,
                  int* value, ListItem const* items, int count, int defaultId, int displayFlags);
    // The same from item pointers; the caller keeps its items.
    ListParameter(QString const& name, QString const& text, IParameterContainer* container,
                  int* value, QList<ListItem*> const& items, int defaultId, int displayFlags);
    ~ListParameter() override;

    ParamType type() const override { return ParamList; }
    operator ListParameter*() override { return this; }
    operator ListParameter const*() const override { return this; }

    // Same name, text, items and choice; own int, no container, flags 1.
    Parameter* clone() const override;

    // Chooses the first item with this id. 0 without notification when it is already chosen;
    // -1 (nothing changes) when no item has it.
    virtual int setValue(int id);

    // The bound int: the chosen id (not written while nothing is chosen).
    int value() const;
    // The chosen item, or null while nothing is chosen (an empty list). The pointer stays valid
    // for the parameter's life: the items never change after construction.
    ListItem const* currentItem() const;
    // Position of the chosen item, -1 while nothing is chosen.
    int currentIndex() const;

    int itemCount() const;
    // Null for an index out of range.
    ListItem const* itemAt(int index) const;
    // Position of the first item with this id, -1 when none has it.
    int indexOfId(int id) const;
    QList<ListItem> items() const;

    // Stand-alone: "num_items", "item_id<i>", "item_name<i>"; always "value" (the chosen id;
    // left out while nothing is chosen).
    int storeSpecific(QDomElement& element, QDomDocument& document) const override;
    // Chooses the item named by "value"; -1 (choice unchanged) when it is absent or names no item.
    int loadSpecific(QDomElement const& element) override;

private:
    void appendItem(ListItem const& item, int defaultId);
    int findId(int id) const;

    QList<ListItem*> m_items;
    ListItem* m_current = nullptr;
    int* m_value = nullptr;
    int m_own = 0;
};

} // namespace KelUtils
