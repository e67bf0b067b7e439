# The two set-up commands: `make run` and `make test`. Both install what is missing first: `make run` only what the
# program needs, `make test` also what the tests, benchmarks, fuzzing and the sanitizer builds need.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps deps-program build build-program run test bench assets clean check-sanitize check-asan check-tsan fuzz \
	fuzz-corpus

deps:
	bash scripts/install-deps.sh

deps-program:
	bash scripts/install-deps.sh --program

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DMAZE_BUILD_TESTS=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# A new build folder is configured without the tests; one that has them keeps them, and only the program is built.
build-program: deps-program
	cmake -S . -B $(BUILD) -G Ninja $(if $(wildcard $(BUILD)/CMakeCache.txt),,-DMAZE_BUILD_TESTS=OFF) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS) --target maze-exercise

run: build-program
	./$(BUILD)/app/maze-exercise

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

bench: deps
	cmake -S . -B $(BUILD) -G Ninja -DMAZE_BUILD_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)
	bash bench/run.sh $(BUILD)

# Sanitizer builds live in their own folders, optimised a little so that the whole run stays short; line tables
# are enough for their reports.
SANITIZE_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
	-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" $(CMAKE_FLAGS)
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan-suppressions.txt:print_suppressions=0 \
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:atexit_sleep_ms=0
# Tests whose code runs on more than one thread. Every test joins its threads before it ends, so ThreadSanitizer's
# second of waiting at each process's exit (atexit_sleep_ms) only makes the run longer.
THREADED_LABELS = sound|views|window|app|platform
# Under ThreadSanitizer a walk of the whole maze takes about 40 s. These walks give the sound and clip threads nothing
# that the whole runs kept there (start to results, damaged clips, the success sound of an abandoned scene, printing,
# one drowning) do not give them; they check the game's rules, and run in `make test` and under AddressSanitizer.
TSAN_REPEATED_WALKS = WholeRunTest\.(AnAbandonedRunsDrowning|OneDrowningOnTheWay)|WorkbookRunTest\.APlayedGame|$\
	MazeSceneTest\.(WholeRouteInOneStroke|SuccessOfAnAbandonedScene|GoalIsHandledOnce)
# Every case already runs under the sanitizers in its own process; the whole-executable runs stay in `make test`,
# and so do the kill-during-save trials, which under AddressSanitizer would only repeat the same saves slowly.

check-sanitize: check-asan check-tsan

check-asan: deps
	cmake -S . -B $(BUILD)-asan -G Ninja -DMAZE_SANITIZE=address,undefined -DMAZE_TEST_CXX_FLAGS="-O0 -g1" \
		$(SANITIZE_FLAGS)
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) --timeout 600 -LE whole \
		-E SavesKilledAtRandomMoments

check-tsan: deps
	cmake -S . -B $(BUILD)-tsan -G Ninja -DMAZE_SANITIZE=thread -DMAZE_TEST_LABELS='$(THREADED_LABELS)' \
		$(SANITIZE_FLAGS)
	cmake --build $(BUILD)-tsan -j $(JOBS)
	cd $(BUILD)-tsan && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) --timeout 600 \
		-L '$(THREADED_LABELS)' -LE whole -E '$(TSAN_REPEATED_WALKS)'

# libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer; FUZZ_SECONDS per target.
FUZZ_SECONDS ?= 180
FUZZ_TARGETS = png jpeg vorbis theora workbook print_layout
FUZZ_FLAGS = -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMAZE_FUZZ=ON \
	-DMAZE_SANITIZE=address,undefined,fuzzer-no-link $(SANITIZE_FLAGS)

fuzz: deps
	cmake -S . -B $(BUILD)-fuzz -G Ninja $(FUZZ_FLAGS)
	cmake --build $(BUILD)-fuzz -j $(JOBS) $(FUZZ_TARGETS:%=--target fuzz_%)
	bash fuzz/run.sh $(BUILD)-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Rewrites the committed seed corpora.
fuzz-corpus: build
	cmake --build $(BUILD) --target make_fuzz_corpus
	./$(BUILD)/fuzz/make_fuzz_corpus fuzz/corpus tests/report/fixtures/resaved_workbook.xml
	cp assets/markers/TextTabMarker.png fuzz/corpus/png/asset-marker

assets:
	bash scripts/install-deps.sh --assets
	python3 assets/generate.py

clean:
	rm -rf $(BUILD)
