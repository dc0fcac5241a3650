#include "Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) : owner_(owner)
{
    if (owner_)
        owner_->components_.push_back(this);
}

TComponent::~TComponent()
{
    while (!components_.empty())
        delete components_.back();
    if (owner_)
        owner_->Remove(this);
}

void TComponent::Remove(TComponent* component)
{
    std::erase(components_, component);
    Notification(component);
    for (TComponent* sibling : components_)
        sibling->Notification(component);
}

void TComponent::LoadedTree()
{
    for (size_t i = 0; i < components_.size(); ++i)
        components_[i]->LoadedTree();
    loading_ = false;
    Loaded();
}
