// While a TNoNewThreads lives, no new thread of the process can start (as
// out of address space under a tight `ulimit -v`): the default thread stack
// is made larger than the address space, which no system maps.
#pragma once

#include <pthread.h>

struct TNoNewThreads {
  TNoNewThreads() {
    pthread_getattr_default_np(&normal);
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    pthread_attr_setstacksize(&huge, size_t{1} << 48);
    pthread_setattr_default_np(&huge);
    pthread_attr_destroy(&huge);
  }
  ~TNoNewThreads() {
    pthread_setattr_default_np(&normal);
    pthread_attr_destroy(&normal);
  }
  TNoNewThreads(const TNoNewThreads&) = delete;
  TNoNewThreads& operator=(const TNoNewThreads&) = delete;

  pthread_attr_t normal;
};
