// utSingletonAccessAction: what a class's singleton access function is asked to do.
//
// A class that exists once per process funnels every access to its instance through one static
// function taking this action, so that creating and deleting the instance live in one place:
// 0 returns the instance, creating it on first use; any other value deletes it, leaves no
// instance behind and returns null. Callers pass utSingletonDelete (1) to delete.
#pragma once

using utSingletonAccessAction = unsigned int;

inline constexpr utSingletonAccessAction utSingletonGet = 0;
inline constexpr utSingletonAccessAction utSingletonDelete = 1;
