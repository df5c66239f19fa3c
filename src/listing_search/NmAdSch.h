#pragma once
// The name/address search: listings found by name, address or telephone
// number, optionally within one prefecture.

#include "listing_search/ListingSearchBase.h"

#include <memory>

namespace Ui {
class TNameAdrsSearch;
}

class TNameAdrsSearch : public TListingSearchBase {
    Q_OBJECT
public:
    explicit TNameAdrsSearch(QWidget* parent = nullptr);
    ~TNameAdrsSearch() override;
    // The open window, or nullptr.
    static TNameAdrsSearch* Instance();

protected:
    bool BuildCondition(TSearchCondition& cond) override;
    void SetConditionEnabled(bool enabled) override;

private:
    std::unique_ptr<Ui::TNameAdrsSearch> ui;
};
