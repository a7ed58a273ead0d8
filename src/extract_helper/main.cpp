// fundort-extract: reads documents for a search worker in a process of its own, so that a crash,
// a hang or an exhausted memory in a format library ends only this helper, not the run.
#include "extract/helper_client.h"

int main(int argc, char** argv) {
  // The worker hands over its end of a socket as descriptor 3.
  return extract::ServeExtractions(3, argc, argv);
}
