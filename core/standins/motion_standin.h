// Stand-ins for the motion-project and image-set factories of the motion subsystem until it is
// built: the two shut-down operations the core calls. Nothing is loaded, so nothing is alive.
#pragma once

class GxNcProjectFactory {
public:
    // One warning line per project still alive.
    static void LogAliveObjects();
    // Releases and deletes every cached project.
    static void ReleaseAll();
};

class GxNcCrammedImageSetFactory {
public:
    static void LogAliveObjects();
    static void ReleaseAll();
};
