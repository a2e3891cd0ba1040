// Constructing the cloth application with each of its allocations failed in turn: the object or its
// mesh object throws std::bad_alloc out of the construction; a failed mesh list leaves a consistent,
// reported, smaller mesh, and the application's step and mesh pass still run on it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "fuzz/ktRecordCheck.h"
#include "fuzz/ktShapeProgram.h"
#include "support/ktFailingAlloc.h"
#include "support/ktTestCloth.h"

TEST(DrapoAllocationFailure, EveryFailedAllocationEndsInAnExceptionOrAConsistentMesh) {
    int thrown = 0, reported = 0;
    for (long n = 1;; n++) {
        SCOPED_TRACE("allocation " + std::to_string(n));
        std::unique_ptr<TestCloth> app;
        bool threw = false;
        long made = 0;
        const std::string printed = ktPrintedWithFailedAllocation(n, made, [&] {
            try {
                app.reset(new TestCloth);
            } catch (const std::bad_alloc&) {
                threw = true;
            }
        });
        if (threw) {
            thrown++;
            EXPECT_EQ(printed, "");
            continue;
        }
        ASSERT_NE(app, nullptr);
        ASSERT_NE(app->blanky, nullptr);
        ktMeshShape& mesh = *app->blanky;
        EXPECT_EQ(ktCheckShapeConsistent(mesh), "");
        if (made < n) {
            EXPECT_EQ(printed, "");
            EXPECT_EQ(mesh.listLength, drapoKnobs);
            ktReleaseShapeLists(mesh);  // the mesh object itself stays, as the program keeps it
            break;
        }
        reported++;
        EXPECT_EQ(printed, ktMsgOutOfMemory);
        // A frame's work on the smaller mesh: the setters report what does not fit.
        ktCaptured(stdout, [&] {
            app->step();
            app->updateMesh();
            mesh.calculateNormals();
        });
        EXPECT_EQ(ktCheckShapeConsistent(mesh), "");
        ktReleaseShapeLists(mesh);
    }
    EXPECT_EQ(thrown, 2);  // the application object and its mesh object
    EXPECT_GT(reported, 0);
}
