#pragma once
#include <string>
#include <vector>

// Ownership tree of the program's objects: an owner frees what it owns, newest first.
// A component registers with its owner on construction and leaves it on destruction,
// telling the owner's other components so they drop references to it.
class TComponent {
public:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }

    // Called once the owner's configured values are all set: owned components in
    // creation order, then the owner itself.
    void LoadedTree();
    bool IsLoading() const { return loading_; }

    std::string Name;

protected:
    virtual void Loaded() {}
    // Another component of the same owner (or an owned one) is going away.
    virtual void Notification(TComponent* removed) { (void)removed; }

private:
    void Remove(TComponent* component);

    TComponent* owner_;
    std::vector<TComponent*> components_;
    bool loading_ = true;
};
