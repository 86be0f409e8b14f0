#include "mpi/mpi_spread.h"

#include <mpi.h>

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "network/fatal_error.h"
#include "network/usage_error.h"

namespace tarn {

namespace {

// What a failed task threw, so that every process throws the same kind: the command line ends
// with the exit status of the kind, and the first process writes the message.
enum class FailureKind : int { none, usage, bad_input, output, out_of_memory, other };

struct Failure {
  FailureKind kind = FailureKind::none;
  std::string message;
};

Failure failure_of(const std::exception_ptr& thrown) {
  try {
    std::rethrow_exception(thrown);
  } catch (const UsageError& e) {
    return {FailureKind::usage, e.what()};
  } catch (const OutputError& e) {
    return {FailureKind::output, e.what()};
  } catch (const FatalError& e) {
    return {FailureKind::bad_input, e.what()};
  } catch (const std::bad_alloc&) {
    return {FailureKind::out_of_memory, ""};
  } catch (const std::exception& e) {
    return {FailureKind::other, e.what()};
  } catch (...) {
    return {FailureKind::other, "a task failed"};
  }
}

[[noreturn]] void throw_failure(const Failure& f) {
  switch (f.kind) {
    case FailureKind::usage:
      throw UsageError(f.message);
    case FailureKind::output:
      throw OutputError(f.message);
    case FailureKind::bad_input:
      throw FatalError(f.message);
    case FailureKind::out_of_memory:
      throw std::bad_alloc();
    default:
      throw std::runtime_error(f.message);
  }
}

// This process's tasks as one list of doubles: for each, its index, its failure kind, the
// length of what follows, then its result (or its failure's message, a character a double).
std::vector<double> packed(const std::vector<int>& indices, const LocalRun& local) {
  std::vector<double> buffer;
  for (std::size_t i = 0; i < indices.size(); ++i) {
    const Failure failure =
        local.failures[i] ? failure_of(local.failures[i]) : Failure{FailureKind::none, ""};
    std::vector<double> body(local.results[i]);
    if (failure.kind != FailureKind::none)
      body.assign(failure.message.begin(), failure.message.end());
    buffer.push_back(indices[i]);
    buffer.push_back(static_cast<double>(failure.kind));
    buffer.push_back(static_cast<double>(body.size()));
    buffer.insert(buffer.end(), body.begin(), body.end());
  }
  return buffer;
}

// Every process's list, one after the other in rank order, on every process.
std::vector<double> gathered(const std::vector<double>& own, MPI_Comm communicator, int processes) {
  const int own_size = static_cast<int>(own.size());
  std::vector<int> sizes(static_cast<std::size_t>(processes), 0);
  MPI_Allgather(&own_size, 1, MPI_INT, sizes.data(), 1, MPI_INT, communicator);
  std::vector<int> offsets(static_cast<std::size_t>(processes), 0);
  for (std::size_t r = 1; r < sizes.size(); ++r) offsets[r] = offsets[r - 1] + sizes[r - 1];
  std::vector<double> all(static_cast<std::size_t>(offsets.back() + sizes.back()));
  MPI_Allgatherv(own.data(), own_size, MPI_DOUBLE, all.data(), sizes.data(), offsets.data(),
                 MPI_DOUBLE, communicator);
  return all;
}

struct Unpacked {
  std::vector<TaskResult> results;
  std::vector<Failure> failures;
};

Unpacked unpacked(const std::vector<double>& all, int count) {
  Unpacked u;
  u.results.resize(static_cast<std::size_t>(count));
  u.failures.resize(static_cast<std::size_t>(count));
  for (std::size_t at = 0; at < all.size();) {
    const auto index = static_cast<std::size_t>(all[at]);
    const auto kind = static_cast<FailureKind>(static_cast<int>(all[at + 1]));
    const auto length = static_cast<std::size_t>(all[at + 2]);
    const auto body = all.begin() + static_cast<std::ptrdiff_t>(at + 3);
    if (kind == FailureKind::none) {
      u.results[index].assign(body, body + static_cast<std::ptrdiff_t>(length));
    } else {
      u.failures[index].kind = kind;
      for (std::size_t c = 0; c < length; ++c) {
        u.failures[index].message.push_back(
            static_cast<char>(body[static_cast<std::ptrdiff_t>(c)]));
      }
    }
    at += 3 + length;
  }
  return u;
}

class MpiSpread final : public TaskSpread {
 public:
  MpiSpread(MPI_Comm communicator, int rank, int processes)
      : communicator_(communicator), rank_(rank), processes_(processes) {}

  std::vector<TaskResult> run(int count, int threads, const IndexedTask& task) const override {
    std::vector<int> own;
    for (int t = rank_; t < count; t += processes_) own.push_back(t);
    const LocalRun local = run_on_threads(own, threads, task);
    Unpacked all = unpacked(gathered(packed(own, local), communicator_, processes_), count);
    for (int t = 0; t < count; ++t) {
      const Failure& failure = all.failures[static_cast<std::size_t>(t)];
      if (failure.kind == FailureKind::none) continue;
      // Thrown as it was where it ran; elsewhere rebuilt from its kind and message.
      if (t % processes_ == rank_) {
        std::rethrow_exception(local.failures[static_cast<std::size_t>(t / processes_)]);
      }
      throw_failure(failure);
    }
    return std::move(all.results);
  }

  bool writes_results() const override { return rank_ == 0; }

 private:
  MPI_Comm communicator_;
  int rank_, processes_;
};

}  // namespace

std::unique_ptr<TaskSpread> make_mpi_spread(const void* communicator, int rank, int processes) {
  return std::make_unique<MpiSpread>(*static_cast<const MPI_Comm*>(communicator), rank, processes);
}

}  // namespace tarn
