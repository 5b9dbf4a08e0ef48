# Run by ctest after the discovered tests are defined (tests/CMakeLists.txt
# adds this file to TEST_INCLUDE_FILES): the tests that take about a minute,
# so that `ctest -LE slow` leaves them out.
set_tests_properties(InterruptedImport.KilledAtTwentyMomentsLeavesOneWholeExam
                     InterruptedSwitch.KilledAtTenMomentsLeavesOneWholeExam
                     PROPERTIES LABELS "data;slow")
