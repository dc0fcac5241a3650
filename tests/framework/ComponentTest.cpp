#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Component.h"

namespace {

// Records what happens to it in one shared journal.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::string name, std::vector<std::string>& journal)
        : TComponent(owner), journal_(journal)
    {
        Name = std::move(name);
    }
    ~Probe() override
    {
        while (!Components().empty())
            delete Components().back();
        journal_.push_back("free " + Name);
    }
    TComponent* watched = nullptr;

protected:
    void Loaded() override { journal_.push_back("loaded " + Name); }
    void Notification(TComponent* removed) override
    {
        if (removed == watched) {
            watched = nullptr;
            journal_.push_back(Name + " forgets " + removed->Name);
        }
    }

private:
    std::vector<std::string>& journal_;
};

} // namespace

TEST(Component, OwnerFreesNewestFirstAndLoadsInCreationOrder)
{
    std::vector<std::string> journal;
    auto* form = new Probe(nullptr, "form", journal);
    new Probe(form, "a", journal);
    auto* b = new Probe(form, "b", journal);
    new Probe(b, "b1", journal);
    new Probe(form, "c", journal);

    form->LoadedTree();
    EXPECT_EQ(journal, (std::vector<std::string>{"loaded a", "loaded b1", "loaded b", "loaded c", "loaded form"}));
    EXPECT_FALSE(form->IsLoading());

    journal.clear();
    delete form;
    EXPECT_EQ(journal, (std::vector<std::string>{"free c", "free b1", "free b", "free a", "free form"}));
}

TEST(Component, RemovalIsAnnouncedToSiblingsAndOwner)
{
    std::vector<std::string> journal;
    Probe form(nullptr, "form", journal);
    auto* menu = new Probe(&form, "menu", journal);
    auto* tray = new Probe(&form, "tray", journal);
    tray->watched = menu;
    form.watched = menu;

    delete menu;
    EXPECT_EQ(tray->watched, nullptr);
    EXPECT_EQ(form.watched, nullptr);
    EXPECT_EQ(form.Components().size(), 1u);
    EXPECT_EQ(journal, (std::vector<std::string>{"free menu", "form forgets menu", "tray forgets menu"}));
}
