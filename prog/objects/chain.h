// The three object chains (enemies, shots, debris) are one kind of thing: a
// doubly linked list through each record's own `next` and `prev` fields, with
// pointers to its oldest and newest record. New records join at the newest
// end; walks go from the oldest end and read the successor first.
#pragma once
#include "prog/core/alloc.h"
#include "prog/core/layers.h"

template <class T>
struct Chain {
    T* oldest;
    T* newest;
};

template <class T>
void JoinChain(Chain<T>& chain, T* item) {
    item->next = nullptr;
    item->prev = chain.newest;
    if (chain.newest) chain.newest->next = item;
    chain.newest = item;
    if (!chain.oldest) chain.oldest = item;
}

// Takes the record out of its chain and its draw list and frees its link; the
// caller frees the record right afterwards.
template <class T>
void LeaveChain(Chain<T>& chain, T* item) {
    if (item->prev) item->prev->next = item->next;
    if (item->next) item->next->prev = item->prev;
    if (chain.newest == item) chain.newest = item->prev;
    if (chain.oldest == item) chain.oldest = item->next;
    LeaveMainLayer(item->link);
    item->link = nullptr;
}

template <class T>
void DestroyInChain(Chain<T>& chain, T* item) {
    LeaveChain(chain, item);
    GameFree(item);
}

// Destroys every record of the chain, oldest first.
template <class T>
void DestroyChain(Chain<T>& chain) {
    for (T* item = chain.oldest; item;) {
        T* next = item->next;
        DestroyInChain(chain, item);
        item = next;
    }
}
