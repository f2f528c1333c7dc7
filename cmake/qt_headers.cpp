// The owner of the precompiled Qt headers that every target using Qt reuses (see
// cmake/PrecompiledQt.cmake); it has no code of its own.
