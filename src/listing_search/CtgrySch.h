#pragma once
// The category search: listings of one industry category (major, optionally
// minor) in one prefecture, optionally one city.

#include "listing_search/ListingSearchBase.h"

#include <memory>

namespace Ui {
class TCategorySearch;
}

class TCategorySearch : public TListingSearchBase {
    Q_OBJECT
public:
    explicit TCategorySearch(QWidget* parent = nullptr);
    ~TCategorySearch() override;
    static TCategorySearch* Instance();

protected:
    bool BuildCondition(TSearchCondition& cond) override;
    void SetConditionEnabled(bool enabled) override;

private:
    void FillSubCategories();
    void FillCities();

    std::unique_ptr<Ui::TCategorySearch> ui;
};
