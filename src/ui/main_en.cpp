#include "ui/app.h"

int main(int argc, char** argv) {
  return tracelink::runTracelink(argc, argv, tracelink::Language::English);
}
