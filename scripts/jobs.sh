# Sourced by the scripts that build: how many jobs a build (and a test run) may take at once.
# CMake's own CMAKE_BUILD_PARALLEL_LEVEL caps it, or QUORVEL_JOBS, which wins when both are set
# (several builds sharing one machine); otherwise one job per processor.
quorvel_jobs() {
  echo "${QUORVEL_JOBS:-${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}}"
}
