#include "app/batch.h"

int main(int argc, char** argv) { return tce::RunBatch(argc, argv); }
